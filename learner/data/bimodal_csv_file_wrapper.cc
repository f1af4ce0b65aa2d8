#include "learner/data/bimodal_csv_file_wrapper.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <utility>

#include "common/number_text.h"
#include "common/text_line.h"
#include "learner/data/hyperedge.h"
#include "learner/data/image.h"
#include "learner/data/pair_rules.h"

namespace hn {
namespace {

// Calls `visit` with every maximal run of characters not in `separators`.
// Shared by `splitTokens` and the data lines, which convert each field in
// place instead of copying it into a string. A table lookup per character
// keeps a 4800-value image line cheap.
template <typename Visit>
void forEachToken(std::string_view text, std::string_view separators,
                  Visit visit) {
  std::array<bool, 256> isSeparator{};
  for (const char c : separators) {
    isSeparator[static_cast<unsigned char>(c)] = true;
  }
  const auto separates = [&isSeparator](char c) {
    return isSeparator[static_cast<unsigned char>(c)];
  };
  std::size_t i = 0;
  while (i < text.size()) {
    if (separates(text[i])) {
      ++i;
      continue;
    }
    const std::size_t begin = i;
    while (i < text.size() && !separates(text[i])) ++i;
    visit(text.substr(begin, i - begin));
  }
}

std::vector<std::int32_t> readValues(std::string_view line) {
  std::vector<std::int32_t> values;
  values.reserve(std::count(line.begin(), line.end(), ',') + 1);
  forEachToken(line, ",", [&values](std::string_view field) {
    values.push_back(textToInt(field));
  });
  return values;
}

void report(std::string_view file, std::size_t line, std::string_view what) {
  std::cerr << file << ':' << line << ": " << what << '\n' << std::flush;
}

}  // namespace

void BimodalCSVFileWrapper::load() {
  filename = get("filename");
  splitTokens(filename, ",", filenameList);
  order = getInt("order");
  if (filenameList.size() != 2) {
    std::cerr << "Bimodal CSV file wrapper needs exact 2 filenames, "
                 "separated by a comma\n"
              << std::flush;
    loaded = false;
    return;
  }
  std::ifstream sentences(filenameList[0]);
  std::ifstream images(filenameList[1]);
  if (!sentences.is_open() || !images.is_open()) {
    std::cerr << "error: file to open file\n" << std::flush;
    return;
  }
  readPairs(sentences, images, filenameList[0], filenameList[1]);
}

void BimodalCSVFileWrapper::readPairs(std::istream& sentences,
                                      std::istream& images,
                                      std::string_view sentenceFile,
                                      std::string_view imageFile) {
  const bool verticesSampled = getInt("order2") >= 1;
  const std::size_t firstNewInstance = instances.size();
  // A read error leaves no pair of this reading behind, and the data set
  // not loaded: a run must never mistake part of a file for all of it.
  const auto readError = [&](std::string_view file, std::size_t number) {
    report(file, number, "read error, reading stopped; no pair is used");
    instances.truncate(firstNewInstance);
    loaded = false;
  };
  bool wildcardReported = false;
  std::string line;
  // A file that ends with a line feed gives one more, empty, line here; it
  // is skipped as too short whenever `order` is at least 1.
  for (std::size_t number = 1; sentences.good(); ++number) {
    const bool sentenceRead = readLine(sentences, line);
    if (sentences.bad()) return readError(sentenceFile, number);
    std::vector<std::int32_t> sentence = readValues(line);
    if (!hasWindow(sentence, order)) {
      readLine(images, line);
      if (images.bad()) return readError(imageFile, number);
      continue;
    }
    if (!readLine(images, line) && sentenceRead) {
      if (images.bad()) return readError(imageFile, number);
      report(imageFile, number,
             "image line missing; the image file has fewer lines than the "
             "sentence file, reading stopped");
      break;
    }
    if (images.bad()) return readError(imageFile, number);
    std::vector<std::int32_t> image = readValues(line);
    if (const std::string fault = imageFault(image, verticesSampled);
        !fault.empty()) {
      // Past the last line (order 0 takes the empty end of a file that ends
      // with a line feed) there is no line to name.
      if (sentenceRead) report(imageFile, number, fault + ", pair skipped");
      continue;
    }
    if (!wildcardReported && holdsWildcard(sentence)) {
      report(sentenceFile, number, kWildcardSentenceMessage);
      wildcardReported = true;
    }
    instances.push_back(std::move(sentence));
    instances.push_back(std::move(image));
  }
  loaded = true;
}

void BimodalCSVFileWrapper::readSentencesAlone(std::istream& sentences) {
  order = getInt("order");
  const std::size_t firstNewInstance = instances.size();
  std::string line;
  while (readLine(sentences, line)) {
    std::vector<std::int32_t> sentence = readValues(line);
    if (!hasWindow(sentence, order)) continue;
    instances.push_back(std::move(sentence));
    instances.push_back({});
  }
  loaded = !sentences.bad();
  if (!loaded) instances.truncate(firstNewInstance);
}

void BimodalCSVFileWrapper::readImagesAlone(std::istream& images,
                                            std::string_view imageFile) {
  const bool verticesSampled = getInt("order2") >= 1;
  const std::size_t firstNewInstance = instances.size();
  std::string line;
  std::size_t number = 1;
  for (; readLine(images, line); ++number) {
    std::vector<std::int32_t> image = readValues(line);
    if (const std::string fault = imageFault(image, verticesSampled);
        !fault.empty()) {
      report(imageFile, number, fault + ", image skipped");
      continue;
    }
    instances.push_back({});
    instances.push_back(std::move(image));
  }
  loaded = !images.bad();
  if (!loaded) {
    report(imageFile, number, "read error, reading stopped; no image is used");
    instances.truncate(firstNewInstance);
  }
}

void splitTokens(std::string_view text, std::string_view separators,
                 std::vector<std::string>& tokens) {
  forEachToken(text, separators, [&tokens](std::string_view token) {
    tokens.emplace_back(token);
  });
}

}  // namespace hn

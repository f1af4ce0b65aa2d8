// Fuzzes the CSV pair reader (BimodalCSVFileWrapper::readPairs) against an
// independent model of its rules built on strtoll, and checks that CR LF
// and LF files give the same pairs and messages.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "learner/data/bimodal_csv_file_wrapper.h"
#include "learner/data/hyperedge.h"
#include "learner/data/image.h"

namespace {

using Instances = std::vector<std::vector<std::int32_t>>;
using hn::fuzz::splitLines;

struct Reading {
  Instances instances;
  std::string messages;
  bool loaded = false;
};

Reading readWithProject(const std::string& sentences, const std::string& images,
                        std::int32_t order, std::int32_t order2) {
  hn::BimodalCSVFileWrapper data;
  data.order = order;
  data.set("order2", std::to_string(order2));
  std::istringstream sentenceStream(sentences);
  std::istringstream imageStream(images);
  std::ostringstream messages;
  std::streambuf* const standardError = std::cerr.rdbuf(messages.rdbuf());
  data.readPairs(sentenceStream, imageStream, "s.csv", "i.csv");
  std::cerr.rdbuf(standardError);
  Instances instances;
  for (std::size_t i = 0; i < data.instances.size(); ++i) {
    instances.push_back(data.instances[i].values());
  }
  return {std::move(instances), messages.str(), data.loaded};
}

std::string withoutFinalReturn(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// The fields of a line: maximal runs without a comma, each read by strtoll.
std::vector<std::int32_t> modelValues(const std::string& line) {
  std::vector<std::int32_t> values;
  std::string field;
  for (std::size_t i = 0; i <= line.size(); ++i) {
    if (i == line.size() || line[i] == ',') {
      if (!field.empty()) values.push_back(hn::fuzz::strtollInt32(field));
      field.clear();
    } else {
      field += line[i];
    }
  }
  return values;
}

bool imageFits(const std::vector<std::int32_t>& image, std::int32_t order2) {
  if (image.empty() && order2 >= 1) return false;
  if (image.size() > hn::kImageSize) return false;
  return std::all_of(image.begin(), image.end(), [](std::int32_t value) {
    return value >= 0 && value <= 214747;
  });
}

// The README's rules, read line by line: line n of each file forms pair n;
// a sentence line shorter than `order` is skipped with its image line; a
// missing image line stops the reading; an image that does not fit skips
// its pair. A text ending with a line feed (or an empty one) has one more,
// empty, sentence line after its last.
struct Model {
  Instances instances;
  // Line number of the first taken sentence holding -1, or 0.
  std::size_t wildcardLine = 0;
};

Model readWithModel(const std::string& sentenceText,
                    const std::string& imageText, std::int32_t order,
                    std::int32_t order2) {
  const std::vector<std::string> sentences = splitLines(sentenceText);
  const std::vector<std::string> images = splitLines(imageText);
  const std::size_t rounds =
      sentences.size() +
      (sentenceText.empty() || sentenceText.back() == '\n' ? 1 : 0);
  const std::size_t minimum =
      order < 0 ? SIZE_MAX : static_cast<std::size_t>(order);
  Model model;
  std::size_t nextImage = 0;
  for (std::size_t k = 0; k < rounds; ++k) {
    const bool sentenceRead = k < sentences.size();
    std::vector<std::int32_t> sentence =
        modelValues(sentenceRead ? withoutFinalReturn(sentences[k]) : "");
    const bool imageRead = nextImage < images.size();
    const std::string imageLine =
        imageRead ? withoutFinalReturn(images[nextImage]) : "";
    if (imageRead) ++nextImage;
    if (sentence.size() < minimum) continue;
    if (!imageRead && sentenceRead) break;
    std::vector<std::int32_t> image = modelValues(imageLine);
    if (!imageFits(image, order2)) continue;
    if (model.wildcardLine == 0 &&
        std::find(sentence.begin(), sentence.end(), -1) != sentence.end()) {
      model.wildcardLine = k + 1;
    }
    model.instances.push_back(std::move(sentence));
    model.instances.push_back(std::move(image));
  }
  return model;
}

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos;
       at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  FuzzedDataProvider provider(data, size);
  const std::int32_t order =
      provider.ConsumeIntegralInRange<std::int32_t>(-1, 4);
  const std::int32_t order2 =
      provider.ConsumeIntegralInRange<std::int32_t>(0, 3);
  const bool finalReturn = provider.ConsumeBool();
  const std::string sentences = provider.ConsumeRandomLengthString(size);
  const std::string images = provider.ConsumeRemainingBytesAsString();

  // The reader agrees with the model, values and messages alike.
  const Reading reading = readWithProject(sentences, images, order, order2);
  const Model model = readWithModel(sentences, images, order, order2);
  HN_FUZZ_CHECK(reading.loaded);
  HN_FUZZ_CHECK(reading.instances == model.instances);
  const std::size_t wildcardMessages =
      occurrences(reading.messages, hn::kWildcardSentenceMessage);
  HN_FUZZ_CHECK(wildcardMessages == (model.wildcardLine == 0 ? 0u : 1u));
  if (model.wildcardLine != 0) {
    HN_FUZZ_CHECK(reading.messages.find(
                      "s.csv:" + std::to_string(model.wildcardLine) + ": " +
                      hn::kWildcardSentenceMessage) != std::string::npos);
  }

  // Every pair the reader takes is one the learner can use.
  for (std::size_t i = 0; i + 1 < reading.instances.size(); i += 2) {
    HN_FUZZ_CHECK(order < 0 || reading.instances[i].size() >=
                                   static_cast<std::size_t>(order));
    HN_FUZZ_CHECK(imageFits(reading.instances[i + 1], order2));
  }
  HN_FUZZ_CHECK(reading.instances.size() % 2 == 0);

  // CR LF files read exactly as LF files do.
  const std::string lfSentences = hn::fuzz::withoutCarriageReturns(sentences);
  const std::string lfImages = hn::fuzz::withoutCarriageReturns(images);
  const Reading lf = readWithProject(lfSentences, lfImages, order, order2);
  const Reading crlf =
      readWithProject(hn::fuzz::toCrLf(lfSentences, finalReturn),
                      hn::fuzz::toCrLf(lfImages, finalReturn), order, order2);
  HN_FUZZ_CHECK(lf.instances == crlf.instances);
  HN_FUZZ_CHECK(lf.messages == crlf.messages);
  return 0;
}

#include "learner/driver/learning_run.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "learner/model/text_generator.h"

namespace hn {
namespace {

constexpr int kTextOutputEntry = 8;
constexpr int kImageOutputEntry = 9;

// Whether `name` can be created for writing, found out without leaving a
// trace: a file that did not exist before is removed again.
bool canCreate(const std::string& name) {
  std::error_code error;
  const bool existed = std::filesystem::exists(name, error);
  const bool opened =
      static_cast<bool>(std::ofstream(name, std::ios::app | std::ios::out));
  if (opened && !existed) std::filesystem::remove(name, error);
  return opened;
}

void writeHeader(std::ostream& out, std::size_t pair) {
  out << "line : " << pair << '\n' << std::flush;
}

// 4800 values separated by single blanks, built in one buffer.
void writeImageValues(std::ostream& out, const ImageBuffer& image) {
  std::string line;
  line.reserve(image.size() * 4);
  char digits[16];
  for (std::size_t i = 0; i < image.size(); ++i) {
    if (i > 0) line += ' ';
    const auto end = std::to_chars(digits, digits + sizeof digits, image[i]);
    line.append(digits, end.ptr);
  }
  out << line << '\n' << std::flush;
}

}  // namespace

LearningRun::LearningRun(const RunScriptEntries& entries,
                         std::optional<unsigned> seed)
    : entries(entries) {
  learner.set("mode", "2");
  learner.set("order", entries[1]);
  learner.set("order2", entries[2]);
  learner.set("verbose", "1");
  learner.set("maxepoch", entries[3]);
  learner.set("weightUpdateParameter", entries[4]);
  dataSet.set("filename", dataFileNames(entries));
  // The sampler has seeded the generator from the clock by now.
  if (seed) std::srand(*seed);
  sampler.set("perLine", entries[5]);
  learner.sampler = &sampler;
  learner.storage = &storage;
  learner.dataSet = &dataSet;
}

int LearningRun::execute() {
  const std::string& outputName = entries[outputEntry()];
  if (!canCreate(outputName)) {
    std::cerr << "hn_learner: cannot create the output file \"" << outputName
              << "\" named on line " << outputEntry() + 1
              << " of configure.txt; nothing was trained\n"
              << std::flush;
    return 1;
  }

  learner.run();

  std::ofstream out(outputName, std::ios::trunc);
  if (!out) {
    std::cerr << "hn_learner: cannot create the output file \"" << outputName
              << "\"\n"
              << std::flush;
    return 1;
  }
  if (generatesImages()) {
    writeImages(out);
  } else {
    writeTexts(out);
  }
  if (!out) {
    std::cerr << "hn_learner: writing the output file \"" << outputName
              << "\" failed\n"
              << std::flush;
    return 1;
  }
  if (!dataSet.loaded) {
    std::cerr << "hn_learner: the data files \"" << entries[6] << "\" and \""
              << entries[7] << "\" could not be read; the run had no data\n"
              << std::flush;
    return 1;
  }
  return 0;
}

bool LearningRun::generatesImages() const { return entries[0] == "0"; }

int LearningRun::outputEntry() const {
  return generatesImages() ? kImageOutputEntry : kTextOutputEntry;
}

void LearningRun::writeImages(std::ostream& out) {
  for (std::size_t pair = 0; 2 * pair < dataSet.instances.size(); ++pair) {
    if (!dataSet.loaded) dataSet.load();
    imageBuffer.fill(-1);
    learner.generateImage(dataSet.instances[2 * pair], imageBuffer);
    writeHeader(out, pair);
    writeImageValues(out, imageBuffer);
  }
}

void LearningRun::writeTexts(std::ostream& out) {
  // Generation reads the store as it stands after training: one snapshot
  // serves every pair.
  const TextGenerator generator(storage,
                                static_cast<std::uint32_t>(learner.order),
                                static_cast<std::uint32_t>(learner.order2));
  for (std::size_t pair = 0; 2 * pair + 1 < dataSet.instances.size(); ++pair) {
    if (!dataSet.loaded) dataSet.load();
    // Positions past a shorter image hold -1, never the previous image.
    const std::vector<std::int32_t>& image = dataSet.instances[2 * pair + 1];
    imageBuffer.fill(-1);
    std::copy_n(image.begin(), std::min(image.size(), kImageSize),
                imageBuffer.begin());
    writeHeader(out, pair);
    std::vector<Hyperedge> fragments;
    generator.generate(imageBuffer, fragments);
    for (const Hyperedge& fragment : fragments) {
      out << fragment << '\n' << std::flush;
    }
  }
}

}  // namespace hn

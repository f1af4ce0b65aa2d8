#include "learner/driver/learning_run.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "learner/model/parallel_for.h"
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

// Enough pairs per batch to keep every thread busy, few enough that the
// batch's output is small.
constexpr std::size_t kBatchPairs = 1024;

// 4800 values separated by single blanks.
std::string imageValuesLine(const ImageBuffer& image) {
  std::string line;
  line.reserve(image.size() * 4);
  char digits[16];
  for (std::size_t i = 0; i < image.size(); ++i) {
    if (i > 0) line += ' ';
    const auto end = std::to_chars(digits, digits + sizeof digits, image[i]);
    line.append(digits, end.ptr);
  }
  return line;
}

}  // namespace

LearningRun::LearningRun(const RunScriptEntries& entries,
                         const CommandLine& options)
    : entries(entries) {
  learner.set("mode", "2");
  learner.set("order", entries[1]);
  learner.set("order2", entries[2]);
  learner.set("verbose", "1");
  learner.set("maxepoch", entries[3]);
  learner.set("weightUpdateParameter", entries[4]);
  dataSet.set("filename", dataFileNames(entries));
  // The sampler has seeded the generator from the clock by now.
  if (options.seed) std::srand(*options.seed);
  sampler.set("perLine", entries[5]);
  learner.sampler = &sampler;
  learner.storage = &storage;
  learner.dataSet = &dataSet;
  learner.literal = options.literal;
  learner.threads = options.threads != 0
                        ? options.threads
                        : std::max(1u, std::thread::hardware_concurrency());
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

// Pairs are generated a batch at a time on the learner's threads and
// written in order; generation only reads the trained store.
void LearningRun::writeImages(std::ostream& out) {
  learner.prepareQueries();
  const std::size_t pairs = (dataSet.instances.size() + 1) / 2;
  for (std::size_t first = 0; first < pairs; first += kBatchPairs) {
    const std::size_t count = std::min(kBatchPairs, pairs - first);
    std::vector<std::string> lines(count);
    parallelFor(count, learner.threads, [&](std::size_t i) {
      ImageBuffer image;
      image.fill(-1);
      learner.generateImage(dataSet.instances[2 * (first + i)], image);
      lines[i] = imageValuesLine(image);
    });
    for (std::size_t i = 0; i < count; ++i) {
      writeHeader(out, first + i);
      out << lines[i] << '\n' << std::flush;
    }
  }
}

void LearningRun::writeTexts(std::ostream& out) {
  learner.prepareQueries();
  // Generation reads the store as it stands after training: one snapshot
  // serves every pair.
  std::optional<TextGenerator> generator;
  if (!learner.literal) {
    generator.emplace(storage, static_cast<std::uint32_t>(learner.order),
                      static_cast<std::uint32_t>(learner.order2));
  }
  const std::size_t pairs = dataSet.instances.size() / 2;
  for (std::size_t first = 0; first < pairs; first += kBatchPairs) {
    const std::size_t count = std::min(kBatchPairs, pairs - first);
    std::vector<std::vector<Hyperedge>> fragments(count);
    parallelFor(count, learner.threads, [&](std::size_t i) {
      // Positions past a shorter image hold -1, never another image's.
      const std::vector<std::int32_t>& values =
          dataSet.instances[2 * (first + i) + 1];
      ImageBuffer image;
      image.fill(-1);
      std::copy_n(values.begin(), std::min(values.size(), kImageSize),
                  image.begin());
      if (generator) {
        generator->generate(image, fragments[i]);
      } else {
        learner.generateText(image, fragments[i]);
      }
    });
    for (std::size_t i = 0; i < count; ++i) {
      writeHeader(out, first + i);
      for (const Hyperedge& fragment : fragments[i]) {
        out << fragment << '\n' << std::flush;
      }
    }
  }
}

}  // namespace hn

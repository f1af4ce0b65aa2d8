#include "learner/driver/learning_run.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "common/atomic_file.h"
#include "learner/driver/generation_output.h"
#include "learner/model/model_file.h"

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

}  // namespace

LearningRun::LearningRun(const RunScriptEntries& entries,
                         const CommandLine& options)
    : entries(entries),
      modelFile(options.saveModel),
      progressLine(std::cerr, ProgressLine::wanted(options.quiet)) {
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
  learner.progress = [this](std::string_view step, std::size_t done,
                            std::size_t total, std::string_view unit) {
    progressLine.update(step, done, total, unit);
  };
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
  std::string error;
  if (modelFile && !canCreateBeside(*modelFile, error)) {
    std::cerr << "hn_learner: cannot save the model: " << error
              << "; nothing was trained\n"
              << std::flush;
    return 1;
  }

  learner.run();
  // Saved before generating, so a failure there cannot lose the training.
  const bool saved = !modelFile || saveTrainedModel();

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
  return saved ? 0 : 1;
}

bool LearningRun::saveTrainedModel() {
  std::string error;
  if (saveModel(*modelFile, storage, {learner.order, learner.order2}, error)) {
    return true;
  }
  std::cerr << "hn_learner: cannot save the model to \"" << *modelFile
            << "\": " << error << '\n'
            << std::flush;
  return false;
}

bool LearningRun::generatesImages() const { return entries[0] == "0"; }

int LearningRun::outputEntry() const {
  return generatesImages() ? kImageOutputEntry : kTextOutputEntry;
}

void LearningRun::writeImages(std::ostream& out) {
  const std::size_t pairs = dataSet.instances.size() / 2;
  writeGeneratedImages(out, learner, dataSet,
                       [&](std::size_t pair, const ImageBuffer&) {
                         progressLine.update("generation", pair + 1, pairs,
                                             "pairs");
                       });
}

void LearningRun::writeTexts(std::ostream& out) {
  const std::size_t pairs = dataSet.instances.size() / 2;
  writeGeneratedTexts(out, learner, dataSet,
                      [&](std::size_t pair, const std::vector<Hyperedge>&) {
                        progressLine.update("generation", pair + 1, pairs,
                                            "pairs");
                      });
}

}  // namespace hn

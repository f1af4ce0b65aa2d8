#include "learner/driver/learning_run.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "common/atomic_file.h"
#include "common/number_text.h"
#include "common/output_target.h"
#include "common/same_file.h"
#include "learner/driver/exit_status.h"
#include "learner/driver/generation_output.h"
#include "learner/driver/run_files.h"
#include "learner/model/model_file.h"

namespace hn {
namespace {

// The run script's numbers, as texts, and the command line's seed.
TrainingSettings settingsOf(const RunScriptEntries& entries,
                            const CommandLine& options) {
  return {entries[kOrderEntry],   entries[kOrder2Entry],
          entries[kEpochsEntry],  entries[kWeightUpdateEntry],
          entries[kPerLineEntry], options.seed};
}

}  // namespace

LearningRun::LearningRun(const RunScriptEntries& entries,
                         const CommandLine& options,
                         const QueriesMaker& makeEngine)
    : entries(entries),
      modelFile(options.saveModel),
      continuedFile(options.continueFrom),
      threads(options.threadCount()),
      flushing(options.flushing),
      progressLine(std::cerr, ProgressLine::wanted(options.quiet)),
      training(settingsOf(entries, options), dataSet,
               makeStore(options.literal), [&](HyperedgeStore& storage) {
                 return makeEngine(storage, options);
               }) {
  dataSet.set("filename", dataFileNames(entries));
  training.learner.progress = [this](std::string_view step, std::size_t done,
                                     std::size_t total, std::string_view unit) {
    progressLine.update(step, done, total, unit);
  };
  if (continuedFile) {
    training.learner.fillEmptiedStore = [this] { continueFromReadModel(); };
  }
}

int LearningRun::execute() {
  if (const int status = refuseBeforeTraining(); status != 0) return status;
  if (const int status = readModelToContinue(); status != 0) return status;
  const std::string& outputName = entries[outputEntry(entries)];

  int status = 0;
  if (training.learner.run() != 0) status = kFailureStatus;
  // Saved before generating, so a failure there cannot lose the training.
  if (modelFile && !saveTrainedModel()) status = kFailureStatus;

  std::ofstream out(outputName, std::ios::trunc);
  if (!out) {
    std::cerr << "hn_learner: cannot create the output file \"" << outputName
              << "\"\n"
              << std::flush;
    return kFailureStatus;
  }
  if (generatesImages(entries)) {
    writeImages(out);
  } else {
    writeTexts(out);
  }
  if (!closeOutput(out, outputName)) status = kFailureStatus;
  if (!dataSet.loaded) {
    reportUnopenable(dataFiles(entries));
    std::cerr << "hn_learner: the data files \"" << entries[kSentenceFileEntry]
              << "\" and \"" << entries[kImageFileEntry]
              << "\" could not be read; the run had no data\n"
              << std::flush;
    status = kFailureStatus;
  } else if (dataSet.instances.empty()) {
    reportNoPairs(entries, "the accuracy");
  }
  return status;
}

int LearningRun::refuseBeforeTraining() const {
  const std::vector<std::string> faults = runScriptFaults(entries);
  for (const std::string& fault : faults) {
    std::cerr << "hn_learner: " << fault << '\n';
  }
  if (!faults.empty()) {
    std::cerr << "hn_learner: nothing was trained\n" << std::flush;
    return kRefusedStatus;
  }

  // Every file the run writes against every file it reads, and the files
  // it writes against each other: no output may replace an input.
  std::vector<RunFile> written = {
      entryFile(entries, outputEntry(entries), "the output file"),
      trainingLogFile(),
  };
  if (modelFile) written.push_back(modelFileNamed(*modelFile, "--save-model"));
  std::optional<std::string> refusal = sameFileClash(written, filesRead());
  if (!refusal) refusal = nonRegularOutput(written);
  if (refusal) {
    std::cerr << "hn_learner: " << *refusal
              << "; nothing was trained or written\n"
              << std::flush;
    return kRefusedStatus;
  }

  const RunFile& output = written[0];
  const RunFile& log = written[1];
  if (!canCreate(output.name)) {
    std::cerr << "hn_learner: cannot create " << output.origin
              << "; nothing was trained\n"
              << std::flush;
    return kFailureStatus;
  }
  if (!canCreate(log.name)) {
    std::cerr << "hn_learner: cannot create " << log.origin
              << " in the working directory; nothing was trained\n"
              << std::flush;
    return kFailureStatus;
  }
  std::string error;
  if (modelFile && !canCreateBeside(outputTarget(*modelFile), error)) {
    std::cerr << "hn_learner: cannot save the model: " << error
              << "; nothing was trained\n"
              << std::flush;
    return kFailureStatus;
  }
  return 0;
}

std::vector<RunFile> LearningRun::filesRead() const {
  std::vector<RunFile> read = dataFiles(entries);
  read.insert(read.begin(), runScriptFile());
  if (continuedFile && !(modelFile && sameFile(*continuedFile, *modelFile))) {
    read.push_back(modelFileNamed(*continuedFile, "--continue-from"));
  }
  return read;
}

int LearningRun::readModelToContinue() {
  if (!continuedFile) return 0;
  std::string error;
  continued = readModelFile(*continuedFile, error);
  if (!continued) {
    std::cerr << error << "; nothing was trained\n" << std::flush;
    return kFailureStatus;
  }
  const std::int32_t order = textToInt(entries[kOrderEntry]);
  const std::int32_t order2 = textToInt(entries[kOrder2Entry]);
  const ModelShape shape = continued->shape;
  if (shape.order == order && shape.order2 == order2) return 0;
  std::cerr << "hn_learner: configure.txt gives order " << order
            << " and order2 " << order2 << ", the model file \""
            << *continuedFile << "\" of --continue-from order " << shape.order
            << " and order2 " << shape.order2
            << "; training can only continue with the model's; nothing was "
               "trained\n"
            << std::flush;
  return kRefusedStatus;
}

void LearningRun::continueFromReadModel() {
  loadCheckedModel(*continued, *training.storage,
                   [this](std::size_t done, std::size_t total) {
                     progressLine.update("loading the model", done, total,
                                         "hyperedges");
                   });
  continued.reset();
}

bool LearningRun::saveTrainedModel() {
  std::string error;
  // Through a link, the file it leads to is replaced, not the link.
  if (saveModel(outputTarget(*modelFile), *training.storage,
                {training.learner.order, training.learner.order2}, error)) {
    return true;
  }
  std::cerr << "hn_learner: cannot save the model to \"" << *modelFile
            << "\": " << error << '\n'
            << std::flush;
  return false;
}

void LearningRun::writeImages(std::ostream& out) {
  const std::size_t pairs = dataSet.instances.size() / 2;
  writeGeneratedImages(
      out, *training.queries, training.learner.layout(), dataSet.instances,
      threads, flushing, [&](std::size_t pair, const ImageBuffer&) {
        progressLine.update("generation", pair + 1, pairs, "pairs");
      });
}

void LearningRun::writeTexts(std::ostream& out) {
  const std::size_t pairs = dataSet.instances.size() / 2;
  writeGeneratedTexts(
      out, *training.queries, training.learner.layout(), dataSet.instances,
      threads, flushing, [&](std::size_t pair, const std::vector<Hyperedge>&) {
        progressLine.update("generation", pair + 1, pairs, "pairs");
      });
}

}  // namespace hn

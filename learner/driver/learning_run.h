#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "learner/data/bimodal_csv_file_wrapper.h"
#include "learner/driver/command_line.h"
#include "learner/driver/progress_line.h"
#include "learner/driver/query_engine.h"
#include "learner/driver/run_files.h"
#include "learner/driver/run_script.h"
#include "learner/driver/training.h"
#include "learner/model/model_file.h"

namespace hn {

// One run of hn_learner after its run script is read: the learner and its
// three components wired together, training, then generation for every
// pair into the output file that the run script's direction selects.
class LearningRun {
 public:
  // The command line's seed, when given, replaces the clock as the seed of
  // the generator, so that every draw of the run follows from it. Its
  // model file, when given, receives the trained population. Every query
  // of training and generation goes to the engine that `makeEngine` makes
  // from the command line.
  LearningRun(const RunScriptEntries& entries, const CommandLine& options,
              const QueriesMaker& makeEngine = makeQueries);

  // Returns the exit status: 0 after a complete run; 2 when the run is
  // refused before training (see `refuseBeforeTraining`); 1 when the output
  // file, result.txt or the model file cannot be created, or the model to
  // continue from cannot be read or is damaged (found out before training),
  // the data files could not be read, the model could not be saved, or a
  // write or close of result.txt or of the output file failed. Every
  // failure is named on standard error.
  int execute();

 private:
  // The checks made before anything is trained or written: the values of
  // `runScriptFaults`, then whether a file the run writes (the selected
  // output file, result.txt, the model file of --save-model) is the same
  // file as one that it reads (configure.txt and the two data files) or as
  // another that it writes, or is a folder, a device node or a FIFO
  // (status 2), then whether each can be created (status 1). Returns 0
  // when training may start.
  int refuseBeforeTraining() const;
  // Reads the model of --continue-from, when given, and checks it against
  // the run script: 1 when it cannot be read or is damaged, 2 when its
  // order and order2 are not the run script's, else 0.
  int readModelToContinue();
  // The files the run reads: configure.txt, the data files, and the model
  // it continues from unless that is the model file it saves (which is
  // read whole before training, so replacing it loses nothing).
  std::vector<RunFile> filesRead() const;
  void continueFromReadModel();
  bool saveTrainedModel();
  void writeImages(std::ostream& out);
  void writeTexts(std::ostream& out);

  const RunScriptEntries entries;
  const std::optional<std::string> modelFile;
  const std::optional<std::string> continuedFile;
  // The population that training continues from, until it is loaded.
  std::optional<CheckedModel> continued;
  const unsigned threads;
  const OutputFlushing flushing;
  ProgressLine progressLine;
  BimodalCSVFileWrapper dataSet;
  // Borrows the data set, so it goes after it.
  Training training;
};

}  // namespace hn

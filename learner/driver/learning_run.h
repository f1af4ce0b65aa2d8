#pragma once

#include <optional>
#include <string>

#include "learner/data/bimodal_csv_file_wrapper.h"
#include "learner/data/sentence_image_coupling_sampler.h"
#include "learner/data/simple_stl_map_storage.h"
#include "learner/driver/command_line.h"
#include "learner/driver/progress_line.h"
#include "learner/driver/run_script.h"
#include "learner/model/hypernetwork.h"

namespace hn {

// One run of hn_learner after its run script is read: the learner and its
// three components wired together, training, then generation for every
// pair into the output file that the run script's direction selects.
class LearningRun {
 public:
  // The command line's seed, when given, replaces the clock as the seed of
  // the generator, so that every draw of the run follows from it. Its
  // model file, when given, receives the trained population.
  LearningRun(const RunScriptEntries& entries, const CommandLine& options);

  // Returns the exit status: 0, or 1 when the output file or the model file
  // cannot be created (found out before training), the model could not be
  // saved or the data files could not be read.
  int execute();

 private:
  bool generatesImages() const;
  int outputEntry() const;
  bool saveTrainedModel();
  void writeImages(std::ostream& out);
  void writeTexts(std::ostream& out);

  const RunScriptEntries entries;
  const std::optional<std::string> modelFile;
  ProgressLine progressLine;
  Hypernetwork learner;
  BimodalCSVFileWrapper dataSet;
  SentenceImageCouplingSampler sampler;
  SimpleSTLMapStorage storage;
};

}  // namespace hn

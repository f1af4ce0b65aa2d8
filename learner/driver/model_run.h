#pragma once

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "learner/data/bimodal_csv_file_wrapper.h"
#include "learner/data/hyperedge_store.h"
#include "learner/driver/command_line.h"
#include "learner/driver/held_out_score.h"
#include "learner/driver/progress_line.h"
#include "learner/driver/query_engine.h"
#include "learner/driver/run_script.h"
#include "learner/model/hypernetwork.h"
#include "learner/model/queries.h"

namespace hn {

// A run of hn_learner that generates from a saved population instead of
// training: no sampling, no weight update, no draw of the random generator.
// It generates in the run script's direction for every line of the data,
// and needs only the side it generates from; when the other side is there
// too, it prints the held-out scores of both directions on standard output.
class ModelRun {
 public:
  // Takes the model file, the threads and quietness from `options`. Every
  // query, of generation and of the held-out scores alike, goes to the
  // engine that `makeEngine` makes from the command line.
  ModelRun(const RunScriptEntries& entries, const CommandLine& options,
           const QueriesMaker& makeEngine = makeQueries);

  // Returns the exit status: 0; 2 when the output file is a file the run
  // reads (configure.txt, the model file, a data file) or not a regular
  // file; 1 when the model, the data or the output file cannot be used, or
  // a write or the close of the output file failed. The model and the data
  // are checked before the output file is created, so a refused run leaves
  // it untouched.
  int execute();

 private:
  // The message naming the output file and a file the run reads that it
  // is, or what other than a regular file it is, if any.
  std::optional<std::string> outputClash() const;
  bool loadModel();
  void warnAboutRunScriptOrders() const;
  bool loadData();
  void generate(std::ostream& out);
  // Generates in the direction not written, for its score only.
  void scoreOtherDirection();

  const RunScriptEntries entries;
  const std::string modelFile;
  const unsigned threads;
  const OutputFlushing flushing;
  ProgressLine progressLine;
  Hypernetwork learner;
  BimodalCSVFileWrapper dataSet;
  const std::unique_ptr<HyperedgeStore> storage;
  // Observes the store, so it goes before it.
  const std::unique_ptr<Queries> queries;
  ImageBuffer imageBuffer{};
  // Whether the side generated for is known, so the result can be scored.
  bool scored = false;
  HeldOutScore score;
};

}  // namespace hn

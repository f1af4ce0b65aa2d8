#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "common/number_text.h"
#include "learner/data/data_set.h"
#include "learner/data/sampler.h"
#include "learner/data/storage.h"
#include "learner/model/hypernetwork.h"

namespace hn {
namespace {

constexpr const char* kTrainingLogName = "result.txt";

// result.txt, written line by line. Every creation, write and close is
// checked; the first failure is named on standard error, after which the
// accuracy lines go to standard output only.
class TrainingLog {
 public:
  TrainingLog() {
    errno = 0;
    file.open(kTrainingLogName, std::ios::trunc);
    if (!file) fail("cannot create");
  }

  // An accuracy line goes to standard output and, line for line, to the log.
  void report(const std::string& line) {
    std::cout << line << '\n' << std::flush;
    if (failed) return;
    errno = 0;
    file << line << '\n' << std::flush;
    if (!file) fail("cannot write");
  }

  // Whether every line reached the file.
  bool close() {
    if (failed) return false;
    errno = 0;
    file.close();
    if (!file) fail("cannot close");
    return !failed;
  }

 private:
  void fail(const char* what) {
    const int error = errno;
    std::cerr << what << ' ' << kTrainingLogName;
    if (error != 0) std::cerr << " (" << std::strerror(error) << ')';
    std::cerr << ": the accuracy lines go to standard output only\n"
              << std::flush;
    failed = true;
  }

  std::ofstream file;
  bool failed = false;
};

std::string accuracyText(double accuracy) {
  std::ostringstream text;
  text << accuracy;
  return text.str();
}

// "epoch 2 of 3, accuracy": what a progress report calls a step of an epoch.
std::string epochStep(std::uint32_t epoch, std::uint32_t last,
                      std::string_view part) {
  std::string step = "epoch ";
  step.append(std::to_string(epoch))
      .append(" of ")
      .append(std::to_string(last))
      .append(", ")
      .append(part);
  return step;
}

}  // namespace

int Hypernetwork::run() {
  // Created once the population is sampled, as it always has been: a run
  // stopped before that leaves the previous log alone.
  std::optional<TrainingLog> log;
  TrainingEvents events;
  events.dataRead = [this] {
    if (!verbose) return;
    printParameters();
    std::cout << "#0 Data Read Complete. " << dataReadCount() << " read.\n"
              << std::flush;
  };
  events.sampled = [&log] { log.emplace(); };
  events.epochDone = [&log](std::uint32_t epoch, double accuracy) {
    log->report(epoch == 1
                    ? "#1 Init Sampling Step: epoch: 1 accuracy: " +
                          accuracyText(accuracy)
                    : "#2 Weight Update Step: epoch: " + std::to_string(epoch) +
                          " accuracy: " + accuracyText(accuracy));
  };
  if (const int status = train(events); status != 0) return status;
  return log->close() ? 0 : 1;
}

int Hypernetwork::train(const TrainingEvents& events) {
  if (sampler == nullptr || storage == nullptr || dataSet == nullptr) {
    std::cerr << "Not runnable:check it has proper DataSet & Sampler & "
                 "Storage.\n"
              << std::flush;
    return -1;
  }
  readParameters();
  Hyperedge scratch(hyperedgeLength());
  prepareComponents();
  if (fillEmptiedStore) fillEmptiedStore();
  if (events.dataRead) events.dataRead();

  sampleInitialPopulation(scratch);

  std::uint32_t epoch = 1;
  progressStep = epochStep(epoch, maxepoch, "accuracy");
  if (events.sampled) events.sampled();
  const auto evaluate = [&] {
    if (verbose && events.epochDone) events.epochDone(epoch, accuracy());
  };
  evaluate();
  while (epoch < maxepoch) {
    ++epoch;
    progressStep = epochStep(epoch, maxepoch, "weight update");
    updateWeights();
    progressStep = epochStep(epoch, maxepoch, "accuracy");
    evaluate();
  }
  return 0;
}

// Settings travel as texts: the components read them in their own way.
void Hypernetwork::prepareComponents() {
  dataSet->set("order", get("order"));
  dataSet->set("order2", get("order2"));
  if (progress) progress("loading data", 0, 1, {});
  dataSet->load();
  if (progress) progress("loading data", 1, 1, {});

  sampler->set("order", get("order"));
  sampler->set("order2", get("order2"));
  sampler->dataSet = dataSet;
  sampler->initialize();

  storage->set("order",
               intToText(static_cast<std::int32_t>(hyperedgeLength())));
  storage->initialize();
}

void Hypernetwork::sampleInitialPopulation(Hyperedge& scratch) {
  // Read without `get`, which would add the key to a sampler without it.
  const auto perLine = sampler->parameters.find("perLine");
  const std::size_t expected =
      perLine == sampler->parameters.end()
          ? 0
          : pairCount() * static_cast<std::size_t>(
                              std::max(0, textToInt(perLine->second)));
  std::size_t drawn = 0;
  while (sampler->hasNext()) {
    sampler->next(scratch);
    storage->add(scratch);
    if (progress && ++drawn % 1024 == 0 && drawn < expected) {
      progress("sampling", drawn, expected, "hyperedges");
    }
  }
  if (progress) progress("sampling", drawn, drawn, "hyperedges");
}

void Hypernetwork::reportPairs(std::size_t done, std::size_t total) const {
  if (progress) progress(progressStep, done, total, "pairs");
}

std::size_t Hypernetwork::dataReadCount() const {
  return mode == 2 ? pairCount() : instanceCount();
}

double Hypernetwork::accuracy() const {
  switch (mode) {
    case 0:
      return sequenceAccuracy();
    case 1:
      return labelAccuracy();
    case 2:
      return imageAccuracy();
    default:
      return -1.0;
  }
}

void Hypernetwork::updateWeights() {
  switch (mode) {
    case 0:
      updateSequenceWeights();
      break;
    case 1:
      updateLabelWeights();
      break;
    case 2:
      updateImageWeights();
      break;
    default:
      break;
  }
}

}  // namespace hn

#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/configurable.h"
#include "learner/data/hyperedge.h"
#include "learner/data/image.h"
#include "learner/data/instance_list.h"
#include "learner/model/candidate_list.h"
#include "learner/model/queries.h"

namespace hn {

class DataSet;
class LiteralQueries;
class Sampler;
class Storage;

// Told how far a step of a run has got: `done` of `total` `unit`s, where
// `done` equal to `total` ends the step; a step with no unit has no count.
using ProgressReport =
    std::function<void(std::string_view step, std::size_t done,
                       std::size_t total, std::string_view unit)>;

// What the training loop tells whoever runs it, step by step; each may be
// empty. `dataRead` comes after the data set has loaded and the store is
// emptied, `sampled` after the initial sampling, and `epochDone` after each
// epoch with its accuracy, evaluated only when `verbose` is on.
struct TrainingEvents {
  std::function<void()> dataRead;
  std::function<void()> sampled;
  std::function<void(std::uint32_t epoch, double accuracy)> epochDone;
};

// The result of a prediction that no stored hyperedge voted for.
inline constexpr std::int32_t kNoPrediction = -2;

// The hypernetwork learner. `mode` chooses the hyperedge layout and the
// accuracy and weight-update operations:
//   0  sequence completion: `order` consecutive elements of an instance;
//   1  labelling: `order` consecutive features, then the instance's label;
//   2  sentence–image: `order` consecutive words, then `order2` packed image
//      vertices of the paired image;
//   other  `order` vertices, no weight update, accuracy -1.
//
// Borrows its components: `sampler`, `storage` and `dataSet` may be null
// (then `run` refuses), `queries` may be null (then the learner answers by
// the definitions, on its store), and each must outlive the learner. Every
// match and every generated image or text is asked of the query engine.
class Hypernetwork : public Configurable {
 public:
  Hypernetwork();

  // Converts the parameter texts into the typed fields below.
  void readParameters();
  std::uint32_t hyperedgeLength() const;
  // The sentence–image layout: `order` words, then `order2` image vertices.
  Layout layout() const;

  // Training loop: wires the components, loads, samples, then refines the
  // weights for `maxepoch` - 1 epochs, logging accuracy when `verbose` to
  // standard output and result.txt. Returns -1 when a component is missing,
  // 1 when result.txt could not be created, written or closed (named on
  // standard error; training still runs to its end), 0 otherwise.
  int run();
  // The same loop, with the same draws, telling `events` instead of writing
  // the lines and result.txt; only a missing component is still named on
  // standard error. Returns -1 then, 0 otherwise.
  int train(const TrainingEvents& events);

  // Inference. Each window of the input that covers the inferred slot asks
  // for the stored hyperedges that match it, which vote with their weights.
  std::int32_t predictElement(const std::vector<std::int32_t>& sequence,
                              std::uint32_t position,
                              CandidateList& candidates) const;
  std::int32_t predictElement(const std::vector<std::int32_t>& sequence,
                              std::uint32_t position) const;
  std::int32_t predictLabel(const std::vector<std::int32_t>& features) const;
  // At most one packed vertex per image position, best first.
  void inferImageValues(const std::vector<std::int32_t>& sentence,
                        std::vector<std::int32_t>& values) const;
  // Writes the inferred values; other positions keep what the caller put.
  void generateImage(const std::vector<std::int32_t>& sentence,
                     ImageBuffer& image) const;
  // Merges into `fragments` the sentence parts of the stored hyperedges whose
  // image vertices all agree with `image`, then sorts them by rank.
  void generateText(const ImageBuffer& image,
                    std::vector<Hyperedge>& fragments) const;

  // Accuracy over the whole data set; NaN when there is nothing to count.
  double sequenceAccuracy() const;
  double labelAccuracy() const;
  double imageAccuracy() const;
  // Number of indices below `count` where `a` and `b` differ.
  static std::uint32_t countDifferences(const std::int32_t* a,
                                        const std::int32_t* b,
                                        std::int32_t count);
  // A pair's part of the image accuracy: the share of the kImageSize
  // positions of its image that were generated right.
  static double pairAccuracy(std::uint32_t mismatches);

  // One epoch of additive reinforcement of what is predicted wrongly.
  void updateSequenceWeights();
  void updateLabelWeights();
  void updateImageWeights();

  std::int32_t order = 0;
  std::int32_t order2 = 0;
  std::uint32_t maxepoch = 0;
  std::int32_t mode = 0;
  bool verbose = false;
  double weightUpdateParameter = 0.0;
  Sampler* sampler = nullptr;
  Storage* storage = nullptr;
  DataSet* dataSet = nullptr;
  Queries* queries = nullptr;
  // Called during `run` for someone watching; empty by default.
  ProgressReport progress;
  // Called during `run` once the store has been emptied, before the initial
  // sampling: the population that training continues from goes in here.
  // Empty by default: training starts from nothing.
  std::function<void()> fillEmptiedStore;

 private:
  // `queries`, or when none is set the definitions on the learner's store,
  // made in `literal` for the caller's question.
  Queries& engine(std::optional<LiteralQueries>& literal) const;

  // The data set's size, read without loading it.
  std::size_t instanceCount() const;
  // Whole sentence–image pairs; an unpaired last entry is left out.
  std::size_t pairCount() const;
  // One instance vector, loading the data set first when it is not loaded.
  InstanceView instance(std::size_t index) const;
  // Every instance vector, loaded as `instance` loads them.
  const InstanceList& instances() const;

  void reinforce(const Hyperedge& hyperedge);

  // Copies the settings to the components, loads the data and empties the
  // store.
  void prepareComponents();
  double accuracy() const;
  void updateWeights();
  void sampleInitialPopulation(Hyperedge& scratch);
  std::size_t dataReadCount() const;

  // Reports `done` of `total` pairs of `progressStep`, if anyone listens.
  void reportPairs(std::size_t done, std::size_t total) const;
  std::string progressStep;
};

}  // namespace hn

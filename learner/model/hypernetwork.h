#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/configurable.h"
#include "learner/data/hyperedge.h"
#include "learner/data/instance_list.h"
#include "learner/model/candidate_list.h"

namespace hn {

class DataSet;
class PrefixVoteIndex;
class Sampler;
class Storage;

// One image, indexed by position; -1 marks a position without a value.
using ImageBuffer = std::array<std::int32_t, kImageSize>;

// Told how far a step of a run has got: `done` of `total` `unit`s, where
// `done` equal to `total` ends the step; a step with no unit has no count.
using ProgressReport =
    std::function<void(std::string_view step, std::size_t done,
                       std::size_t total, std::string_view unit)>;

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
// Borrows its three components: any may be null (then `run` refuses), and
// each must outlive the learner. Every match goes through the storage.
class Hypernetwork : public Configurable {
 public:
  Hypernetwork();

  // Converts the parameter texts into the typed fields below.
  void readParameters();
  std::uint32_t hyperedgeLength() const;

  // Training loop: wires the components, loads, samples, then refines the
  // weights for `maxepoch` - 1 epochs, logging accuracy when `verbose` to
  // standard output and result.txt. Returns -1 when a component is missing,
  // 1 when result.txt could not be created, written or closed (named on
  // standard error; training still runs to its end), 0 otherwise.
  int run();

  // Inference. Each window of the input that covers the inferred slot asks
  // the store for its matches, which vote with their weights.
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
  // Called during `run` for someone watching; empty by default.
  ProgressReport progress;

  // Answers image inference and text generation by the plain definitions
  // (full scans, linear searches, no index): slow, for checking that the
  // fast paths give the same results.
  bool literal = false;
  // Threads for the passes that only read the population (accuracy and
  // generation); results do not depend on it.
  unsigned threads = 1;

  // Makes the store's indexes ready for concurrent queries; call before
  // querying from several threads.
  void prepareQueries() const;
  // For every pair, the number of positions at which its generated image
  // differs from its image, computed on `threads` threads.
  std::vector<std::uint32_t> allImageMismatches() const;

 private:
  // Data access that loads the data set first when it is not loaded yet.
  std::size_t instanceCount() const;
  // Whole sentence–image pairs; an unpaired last entry is left out.
  std::size_t pairCount() const;
  InstanceView instance(std::size_t index) const;

  // The store's vote tables when they give exact sums for `sentence`, else
  // null: the votes must then be added up in voting order.
  PrefixVoteIndex* exactVoteIndex(
      const std::vector<std::int32_t>& sentence) const;
  // Every window of the sentence votes with its matches' image vertices.
  void voteForImageValues(const std::vector<std::int32_t>& sentence,
                          CandidateList& candidates) const;
  // Whether the image generated for pair `pair` equals its image at every
  // position.
  bool generatesImageRight(std::size_t pair) const;
  std::uint32_t mismatchesAgainst(const ImageBuffer& generated,
                                  std::size_t pair) const;
  ImageBuffer referenceImage(std::size_t pair) const;
  // Pair numbers grouped by equal sentences, in order of first appearance;
  // one group per pair when `literal`.
  std::vector<std::vector<std::size_t>> pairsBySentence() const;
  void reinforce(const Hyperedge& hyperedge);

  // Per pair, a position where its image was last found generated wrongly
  // (by the accuracy pass or `generatesImageRight`): tried first next time.
  mutable std::vector<std::uint16_t> firstWrongPosition;

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

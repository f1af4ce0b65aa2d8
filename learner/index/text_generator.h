#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "learner/data/hyperedge.h"
#include "learner/data/image.h"
#include "learner/index/agreement_index.h"

namespace hn {

class Population;

// Image-to-text generation over a snapshot of the store: the hyperedges of
// the run's layout side by side in vertex order, numbered by their
// sentence part. For each image, the weights of the agreeing hyperedges are
// summed per sentence part, either by testing every hyperedge in vertex
// order (the order of the definition) or, when `indexed` and the weights
// make every sum exact, through an `AgreementIndex`. The snapshot does not
// follow later changes of the store.
//
// Sentence parts holding the wildcard -1 merge with every part they match,
// and fragments passed in take part in the merging: both are merged
// hyperedge by hyperedge in vertex order, as defined.
class TextGenerator {
 public:
  TextGenerator(const Population& population, std::uint32_t sentenceSlots,
                std::uint32_t imageSlots, bool indexed = true);

  // Merges into `fragments` the sentence parts of the hyperedges whose image
  // vertices all agree with `image`, then sorts `fragments` by rank. Safe to
  // call from several threads at once.
  void generate(const ImageBuffer& image,
                std::vector<Hyperedge>& fragments) const;

 private:
  bool agreesWithImage(const std::int32_t* hyperedge,
                       const ImageBuffer& image) const;
  void sumByScanning(const ImageBuffer& image, std::vector<double>& weight,
                     std::vector<std::int64_t>& count) const;
  void mergeByScanning(const ImageBuffer& image,
                       std::vector<Hyperedge>& fragments) const;
  bool sumsExact() const;

  std::uint32_t sentenceSlots;
  std::uint32_t length;
  // Hyperedge i's vertices start at vertices[i * length].
  std::vector<std::int32_t> vertices;
  std::vector<double> weights;
  // Hyperedge i's sentence part is part partOf[i]; parts are numbered in
  // vertex order, so their numbers also rank equal weights.
  std::vector<std::uint32_t> partOf;
  std::vector<std::uint32_t> firstOfPart;
  bool partsHoldWildcards = false;
  std::unique_ptr<AgreementIndex> index;
};

}  // namespace hn

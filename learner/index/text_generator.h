#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "learner/data/hyperedge.h"
#include "learner/data/image.h"
#include "learner/index/agreement_index.h"
#include "learner/index/batch_matcher.h"
#include "learner/index/fallback_counts.h"
#include "learner/index/vertex_postings.h"

namespace hn {

class Population;

// Image-to-text generation over a snapshot of the store: the image vertices
// of the hyperedges of the run's layout side by side in vertex order, each
// hyperedge numbered by its sentence part, whose words are kept once. For each
// image, the weights of the agreeing hyperedges are summed per sentence part,
// either by testing every hyperedge in vertex order (the order of the
// definition) or, when `indexed`, through an `AgreementIndex`. The snapshot
// does not follow later changes of the store.
//
// When the weights make every sum exact, the index's sums are the sums in
// vertex order. Otherwise each comes with a bound on how far the sum in
// vertex order may be from it, and a fragment keeps its indexed sum where
// the bounds show that both print alike (six significant digits, the same
// side of 1, the weight from which fragments are assembled) and rank alike
// among their neighbours; the other fragments are added up again in vertex
// order (counted in `counts` when given). The fragments' weights then
// print exactly as the definition's do, in the same order, though the
// weights themselves may differ in their last bits, unless `exactWeights`
// asks for the very doubles of the definition: the fragments whose bounds
// left them a margin are then added up again in vertex order too, once
// their ranks are certain (for callers that hand out the doubles).
//
// Sentence parts holding the wildcard -1 merge with every part they match,
// and fragments passed in take part in the merging: both are merged
// hyperedge by hyperedge in vertex order, as defined.
class TextGenerator {
 public:
  TextGenerator(const Population& population, std::uint32_t sentenceSlots,
                std::uint32_t imageSlots, bool indexed = true,
                FallbackCounts* counts = nullptr, bool exactWeights = false);

  // Merges into `fragments` the sentence parts of the hyperedges whose image
  // vertices all agree with `image`, then sorts `fragments` by rank. Safe to
  // call from several threads at once.
  void generate(const ImageBuffer& image,
                std::vector<Hyperedge>& fragments) const;

  // `generate` for each of `images` into the fragments of the same place;
  // faster than one by one where images share neither a background nor
  // rare values, as those are then matched 64 at a time.
  void generateAll(std::span<const ImageBuffer> images,
                   std::span<std::vector<Hyperedge>> fragments) const;

 private:
  // Per part, the summed weight of the agreeing hyperedges and their
  // number; from the index, with `error` bounds when `bounded`, or else
  // added up in vertex order.
  struct Sums {
    std::vector<double> weight;
    std::vector<std::int64_t> count;
    std::vector<double> error;
    bool fromIndex = false;
  };

  void generateBatch(std::span<const ImageBuffer> images,
                     std::span<std::vector<Hyperedge>> fragments) const;
  std::size_t batchPassSteps() const;
  const BatchMatcher& batchMatcher() const;
  bool trySumAlone(const ImageBuffer& image, std::size_t budget,
                   Sums& sums) const;
  void rankFragments(const ImageBuffer& image, Sums& sums,
                     std::vector<Hyperedge>& fragments) const;
  // Whether the image vertices from `imageVertex` on all agree with `image`.
  bool agreesWithImage(const std::int32_t* imageVertex,
                       const ImageBuffer& image) const;
  const std::int32_t* imageVerticesOf(std::size_t hyperedge) const {
    return imageVertices.data() + hyperedge * imageSlots;
  }
  void sumByScanning(const ImageBuffer& image, Sums& sums) const;
  // The steps `sumByPostings` would take, with its `candidates`.
  std::size_t postingSteps(const ImageBuffer& image,
                           VertexPostings::Candidates& candidates) const;
  // Sums as `sumByScanning`'s, from the hyperedges the postings found.
  void sumByPostings(const ImageBuffer& image,
                     const VertexPostings::Candidates& candidates,
                     Sums& sums) const;
  void sumAgreeing(std::span<const std::uint32_t> agreeing, Sums& sums) const;
  void mergeByScanning(const ImageBuffer& image,
                       std::vector<Hyperedge>& fragments) const;
  bool sumsExact() const;
  // Whether an image vertex names a negative value at a position of the
  // image: one that agrees with a position without a value.
  bool holdsNoValueVertex() const;
  // Orders the parts `found` by rank with the weights voting in vertex
  // order gives, from weights within `error` of their exact sums.
  void rankBounded(const ImageBuffer& image, std::vector<std::uint32_t>& found,
                   std::vector<double>& weight,
                   const std::vector<double>& error,
                   const std::vector<std::int64_t>& count) const;
  // The summed weight of the part's agreeing hyperedges, in vertex order.
  double orderedPartSum(const ImageBuffer& image, std::uint32_t part) const;

  std::uint32_t sentenceSlots;
  std::uint32_t imageSlots;
  // Hyperedge i's image vertices start at imageVertices[i * imageSlots].
  std::vector<std::int32_t> imageVertices;
  std::vector<double> weights;
  // Hyperedge i's sentence part is part partOf[i]; parts are numbered in
  // vertex order, so their numbers also rank equal weights. Part p's words
  // start at partWords[p * sentenceSlots].
  std::vector<std::uint32_t> partOf;
  std::vector<std::uint32_t> firstOfPart;
  std::vector<std::int32_t> partWords;
  bool partsHoldWildcards = false;
  // Whether some weight is -0: a part whose agreeing weights are all -0
  // sums to -0 in vertex order, which a sum from +0 cannot tell.
  bool holdsNegativeZero = false;
  // Whether the index's sums come with bounds, and per part an upper bound
  // on its hyperedges' absolute weights and their most binary digits after
  // the point.
  bool bounded = false;
  std::vector<double> partMagnitude;
  std::vector<int> partFractionBits;
  FallbackCounts* counts = nullptr;
  bool exactWeights = false;
  std::unique_ptr<AgreementIndex> index;
  std::unique_ptr<VertexPostings> postings;
  // Whether images may be matched 64 at a time, by a matcher built on
  // first use.
  bool batchable = false;
  mutable std::once_flag matcherBuilt;
  mutable std::unique_ptr<BatchMatcher> matcher;
};

}  // namespace hn

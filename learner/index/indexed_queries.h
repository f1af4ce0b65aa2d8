#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "learner/data/population.h"
#include "learner/index/fallback_counts.h"
#include "learner/model/queries.h"

namespace hn {

class CandidateList;
class PrefixVoteIndex;
class TextGenerator;

// The learner's queries answered through indexes over the population, with
// exactly the answers of the definitions, which `LiteralQueries` follows
// step by step and the differential tests compare against:
//
// - images from the store's vote tables (`WindowVotes`): while their sums
//   are exact, from those; otherwise from the sums with bounds on how far
//   voting in order could end from them, adding up in voting order only
//   the candidates that the bounds leave undecided; with a weight that is
//   not finite, by voting window by window in voting order;
// - whether a pair's image comes out right one position at a time
//   (`GeneratedImageCheck`), starting where it was last wrong, unless the
//   sentence consults too many groups of hyperedges;
// - text through a snapshot of the store (`TextGenerator`), summed through
//   an `AgreementIndex`, with bounds where the weights' sums round;
// - matches for the other modes through the store's prefix ranges;
// - the accuracy pass on `threads` threads, pairs that share a sentence
//   sharing its generated image.
//
// An observer of the store, from construction to destruction: it builds
// its tables when first asked, keeps the vote tables up to date as the
// store changes and drops a text snapshot that no longer holds. The const
// queries may be asked from several threads at once, of one layout, while
// the store does not change. Borrows the population, which must outlive it.
class IndexedQueries final : public Queries, private StoreObserver {
 public:
  // With `exactFragmentWeights`, generated text carries the very weights of
  // the definition, not only weights that print and rank alike (see
  // `TextGenerator`): slower where weights round, for callers that hand
  // out the doubles.
  IndexedQueries(Population& population, unsigned threads,
                 bool exactFragmentWeights = false);
  ~IndexedQueries() override;
  IndexedQueries(const IndexedQueries&) = delete;
  IndexedQueries& operator=(const IndexedQueries&) = delete;

  void forEachMatch(const Hyperedge& pattern,
                    const MatchVisit& visit) const override;
  void inferImageValues(Layout layout, std::span<const std::int32_t> sentence,
                        std::vector<std::int32_t>& values) const override;
  void generateImage(Layout layout, std::span<const std::int32_t> sentence,
                     ImageBuffer& image) const override;
  void generateText(Layout layout, const ImageBuffer& image,
                    std::vector<Hyperedge>& fragments) const override;
  void generateTexts(
      Layout layout, std::span<const ImageBuffer> images,
      std::span<std::vector<Hyperedge>> fragments) const override;
  std::vector<std::uint32_t> imageMismatches(
      Layout layout, const InstanceList& instances,
      const PairsDone& pairsDone) override;
  bool generatesImage(Layout layout, std::size_t pair,
                      std::span<const std::int32_t> sentence,
                      const ImageBuffer& image) override;
  // Equal sentences share their image.
  std::vector<std::size_t> sharedImages(
      std::span<const InstanceView> sentences) const override;
  // Equal images share their text.
  std::vector<std::size_t> sharedTexts(
      std::span<const InstanceView> images) const override;

  // How often bounds left answers undecided, for the benchmark.
  FallbackCounts& fallbackCounts() const { return counts; }

 private:
  void inserted(HyperedgeId id) override;
  void reweighted(HyperedgeId id, double previous) override;
  void emptied() override;
  void loaded() override;
  void storeChanged();

  // The vote tables of `layout`, built or brought up to date first when the
  // store changed since they were last asked for.
  const PrefixVoteIndex& currentVotes(Layout layout) const;
  // The vote tables when their sums are exact for a sentence of `words`
  // words (`bounded` false) or their bounds hold (`bounded` true), else
  // null: the votes must then be added up in voting order.
  const PrefixVoteIndex* usableVotes(Layout layout, std::size_t words,
                                     bool& bounded) const;
  // Every window of the sentence votes with its matches' image vertices.
  void voteInOrder(Layout layout, std::span<const std::int32_t> sentence,
                   CandidateList& candidates) const;
  // A snapshot of the store as it stands, for text generation.
  const TextGenerator& currentText(Layout layout) const;
  std::uint16_t& firstWrongPositionOf(std::size_t pair);

  Population& population;
  const unsigned threads;
  const bool exactFragmentWeights;

  // Built when first needed, under `building`; a store change marks them
  // out of date for the next query to bring up to date.
  mutable std::mutex building;
  mutable std::unique_ptr<PrefixVoteIndex> votes;
  mutable std::atomic<bool> votesCurrent{false};
  mutable std::unique_ptr<TextGenerator> text;
  mutable Layout textLayout;
  mutable std::atomic<bool> textCurrent{false};

  // Per pair, a position where its image was last found generated wrongly
  // (by the accuracy pass or `generatesImage`): tried first next time.
  std::vector<std::uint16_t> firstWrongPosition;

  mutable FallbackCounts counts;
};

}  // namespace hn

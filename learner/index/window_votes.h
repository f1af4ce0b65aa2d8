#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "learner/index/fallback_counts.h"
#include "learner/index/prefix_vote_index.h"

namespace hn {

// The votes that every window of a sentence collects from its matches,
// combined from the store's per-prefix tables instead of re-read match by
// match. Gives exactly the candidates of voting window by window (matches
// by rank, slots in order) when the index's sums are exact for the
// sentence's window count (`PrefixVoteIndex::sumsExact`): then a sum does
// not depend on the order of its terms, and ties go, as in that voting, to
// the vertex whose first vote came first.
//
// When they are not exact (`bounded`), every candidate's sum comes with a
// bound on how far the sum voting in order gives can be from it
// (`SumBound`): where those intervals decide which candidate is best, or
// how two rank, the answer is that of voting in order; where they do not,
// the candidates they leave undecided are added up again in voting order
// (`PrefixVoteIndex::orderedSum`), counted in `counts` when given.
//
// Uses scratch space of its thread: one object per thread at a time.
class WindowVotes {
 public:
  WindowVotes(const PrefixVoteIndex& index,
              std::span<const std::int32_t> sentence, bool bounded = false,
              FallbackCounts* counts = nullptr);
  WindowVotes(const WindowVotes&) = delete;
  WindowVotes& operator=(const WindowVotes&) = delete;

  // Per image position that got a vote, its best vertex: the highest sum,
  // of equal sums the one voted for first. In no particular order.
  void bestPerPosition(std::vector<std::int32_t>& vertices);
  // The same vertices by decreasing sum, equal sums in voting order.
  std::vector<std::int32_t> rankedBestPerPosition();

 private:
  void addGroup(const PrefixVoteIndex::SentenceGroup& group);
  void addGroupBounded(const PrefixVoteIndex::SentenceGroup& group);
  // The candidates that survive per position, as indexes.
  const std::vector<std::uint32_t>& survivors();
  const std::vector<std::uint32_t>& survivorsBounded();
  const std::vector<std::uint32_t>& keepBestPerPosition();
  // Replaces a candidate's sum by the one voting in order gives.
  void recompute(std::uint32_t candidate);
  // The same for several distinct candidates, in one pass over the votes.
  void recompute(std::span<const std::uint32_t> candidates);
  // Orders `kept` as `ranksBefore` would with sums voting in order gives.
  void rankBounded(std::vector<std::uint32_t>& kept);
  bool ranksBefore(std::uint32_t a, std::uint32_t b);
  // Reached only for equal sums: out of line, so that the comparison of the
  // sums inlines where candidates are ranked.
  [[gnu::noinline]] bool votedBefore(std::uint32_t a, std::uint32_t b);

  const PrefixVoteIndex& index;
  std::span<const std::int32_t> sentence;
  const bool bounded;
  FallbackCounts* const counts;
  std::vector<std::uint32_t> groups;
};

}  // namespace hn

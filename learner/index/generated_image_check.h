#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "learner/index/exact_sum.h"
#include "learner/index/fallback_counts.h"
#include "learner/index/prefix_vote_index.h"

namespace hn {

// The image that voting generates from a sentence, one position at a time:
// the value `generateImage` would write there, from the store's vote
// tables. Deciding whether a generated image is right then stops at the
// first wrong position instead of generating all of it. Exact under the
// same conditions as `WindowVotes`: the index's sums are exact for the
// sentence's window count, or `bounded` and the sums' bounds hold.
class GeneratedImageCheck {
 public:
  GeneratedImageCheck(const PrefixVoteIndex& index,
                      std::span<const std::int32_t> sentence,
                      bool bounded = false, FallbackCounts* counts = nullptr);

  // The generated value at `position` (0 to 4799): the value of the best
  // vertex voted for at that position, or -1 when none was.
  std::int32_t generatedAt(std::int32_t position);

  // How many groups of hyperedges each position consults: a sentence of
  // many distinct windows is cheaper to generate whole.
  std::size_t groupCount() const { return groups.size(); }

 private:
  const PrefixVoteIndex::Tally& bestBounded();

  const PrefixVoteIndex& index;
  std::span<const std::int32_t> sentence;
  std::vector<PrefixVoteIndex::SentenceGroup> groups;
  // The vertices voted for at the position asked about.
  std::vector<PrefixVoteIndex::Tally> tallies;
  const bool bounded;
  FallbackCounts* const counts;
  // With `bounded`, the tallies' bounds and radii.
  std::vector<SumBound> bounds;
  std::vector<double> radii;
  std::vector<std::uint32_t> windowGroups;
};

}  // namespace hn

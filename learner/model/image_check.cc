#include "learner/model/image_check.h"

#include <algorithm>

namespace hn {

GeneratedImageCheck::GeneratedImageCheck(PrefixVoteIndex& index,
                                         std::span<const std::int32_t> sentence)
    : index(index) {
  const std::size_t n = index.prefixLength();
  for (std::size_t window = 0; window + n <= sentence.size(); ++window) {
    windowGroups.emplace_back();
    index.matchingGroups(sentence.subspan(window, n), windowGroups.back());
  }
}

std::int32_t GeneratedImageCheck::generatedAt(std::int32_t position) {
  candidates.clear();
  for (std::uint32_t window = 0; window < windowGroups.size(); ++window) {
    for (const std::uint32_t group : windowGroups[window]) {
      const std::vector<PrefixVoteIndex::Vote>& votes = index.votes(group);
      for (std::uint32_t i = index.firstVoteAt(group, position);
           i != PrefixVoteIndex::kNoVote; i = votes[i].nextAtPosition) {
        const PrefixVoteIndex::Vote& vote = votes[i];
        const auto known = std::find_if(
            candidates.begin(), candidates.end(),
            [&vote](const Candidate& c) { return c.vertex == vote.vertex; });
        if (known != candidates.end()) {
          known->sum += vote.sum;
        } else {
          candidates.push_back({vote.vertex, window, vote.sum});
        }
      }
    }
  }
  if (candidates.empty()) return -1;
  const Candidate* best = &candidates.front();
  for (const Candidate& candidate : candidates) {
    if (candidate.sum > best->sum ||
        (candidate.sum == best->sum && &candidate != best &&
         votedBefore(candidate, *best))) {
      best = &candidate;
    }
  }
  return imageVertexValue(best->vertex);
}

// As in `WindowVotes`: by window, then by the rank of the first match
// holding each vertex, then by slot.
bool GeneratedImageCheck::votedBefore(const Candidate& a, const Candidate& b) {
  if (a.firstWindow != b.firstWindow) return a.firstWindow < b.firstWindow;
  const std::vector<std::uint32_t>& groups = windowGroups[a.firstWindow];
  const PrefixVoteIndex::Holder holderA = index.firstHolder(groups, a.vertex);
  const PrefixVoteIndex::Holder holderB = index.firstHolder(groups, b.vertex);
  if (holderA.hyperedge != holderB.hyperedge) {
    return ranksBefore(*holderA.hyperedge, *holderB.hyperedge);
  }
  return holderA.slot < holderB.slot;
}

}  // namespace hn

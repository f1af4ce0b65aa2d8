#include "learner/model/image_check.h"

#include <algorithm>

namespace hn {

GeneratedImageCheck::GeneratedImageCheck(PrefixVoteIndex& index,
                                         std::span<const std::int32_t> sentence)
    : index(index),
      sentence(sentence),
      groups(index.sentenceGroups(sentence)) {}

std::int32_t GeneratedImageCheck::generatedAt(std::int32_t position) {
  candidates.clear();
  // Groups in order of their first window, as in `WindowVotes`.
  for (const PrefixVoteIndex::SentenceGroup& group : groups) {
    const std::vector<PrefixVoteIndex::Vote>& votes = index.votes(group.group);
    const double times = group.windows;
    for (std::uint32_t i = index.firstVoteAt(group.group, position);
         i != PrefixVoteIndex::kNoVote; i = votes[i].nextAtPosition) {
      const PrefixVoteIndex::Vote& vote = votes[i];
      const auto known = std::find_if(
          candidates.begin(), candidates.end(),
          [&vote](const Candidate& c) { return c.vertex == vote.vertex; });
      if (known != candidates.end()) {
        known->sum += times * vote.sum;
      } else {
        candidates.push_back(
            {vote.vertex, group.firstWindow, times * vote.sum});
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
  windowGroups.clear();
  index.matchingGroups(sentence.subspan(a.firstWindow, index.prefixLength()),
                       windowGroups);
  const PrefixVoteIndex::Holder holderA =
      index.firstHolder(windowGroups, a.vertex);
  const PrefixVoteIndex::Holder holderB =
      index.firstHolder(windowGroups, b.vertex);
  if (holderA.hyperedge != holderB.hyperedge) {
    return ranksBefore(*holderA.hyperedge, *holderB.hyperedge);
  }
  return holderA.slot < holderB.slot;
}

}  // namespace hn

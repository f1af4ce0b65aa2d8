#include "learner/index/generated_image_check.h"

#include <algorithm>

#include "learner/data/image.h"

namespace hn {

GeneratedImageCheck::GeneratedImageCheck(const PrefixVoteIndex& index,
                                         std::span<const std::int32_t> sentence)
    : index(index),
      sentence(sentence),
      groups(index.sentenceGroups(sentence)) {}

std::int32_t GeneratedImageCheck::generatedAt(std::int32_t position) {
  tallies.clear();
  // Groups in order of their first window, as in `WindowVotes`.
  for (const PrefixVoteIndex::SentenceGroup& group : groups) {
    const std::vector<PrefixVoteIndex::Vote>& votes = index.votes(group.group);
    const double times = group.windows;
    for (std::uint32_t i = index.firstVoteAt(group.group, position);
         i != PrefixVoteIndex::kNoVote; i = votes[i].nextAtPosition) {
      const PrefixVoteIndex::Vote& vote = votes[i];
      const auto known = std::find_if(tallies.begin(), tallies.end(),
                                      [&vote](const PrefixVoteIndex::Tally& t) {
                                        return t.vertex == vote.vertex;
                                      });
      if (known != tallies.end()) {
        known->sum += times * vote.sum;
      } else {
        tallies.push_back({vote.vertex, group.firstWindow, times * vote.sum});
      }
    }
  }
  if (tallies.empty()) return -1;
  const PrefixVoteIndex::Tally* best = &tallies.front();
  for (auto tally = tallies.begin() + 1; tally != tallies.end(); ++tally) {
    if (index.ranksBefore(sentence, *tally, *best, windowGroups)) {
      best = &*tally;
    }
  }
  return imageVertexValue(best->vertex);
}

}  // namespace hn

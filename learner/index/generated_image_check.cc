#include "learner/index/generated_image_check.h"

#include <algorithm>

#include "learner/data/image.h"

namespace hn {

GeneratedImageCheck::GeneratedImageCheck(const PrefixVoteIndex& index,
                                         std::span<const std::int32_t> sentence,
                                         bool bounded, FallbackCounts* counts)
    : index(index),
      sentence(sentence),
      groups(index.sentenceGroups(sentence)),
      bounded(bounded),
      counts(counts) {}

std::int32_t GeneratedImageCheck::generatedAt(std::int32_t position) {
  tallies.clear();
  bounds.clear();
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
      if (bounded) {
        const auto k = static_cast<std::size_t>(known - tallies.begin());
        if (k == tallies.size()) {
          tallies.push_back({vote.vertex, group.firstWindow, 0.0});
          bounds.emplace_back();
        }
        bounds[k].add(tallies[k].sum, times, vote.sum, vote.error,
                      vote.magnitude, PrefixVoteIndex::termsOf(vote),
                      vote.fractionBits);
      } else if (known != tallies.end()) {
        known->sum += times * vote.sum;
      } else {
        tallies.push_back({vote.vertex, group.firstWindow, times * vote.sum});
      }
    }
  }
  if (tallies.empty()) return -1;
  if (bounded) return imageVertexValue(bestBounded().vertex);
  const PrefixVoteIndex::Tally* best = &tallies.front();
  for (auto tally = tallies.begin() + 1; tally != tallies.end(); ++tally) {
    if (index.ranksBefore(sentence, *tally, *best, windowGroups)) {
      best = &*tally;
    }
  }
  return imageVertexValue(best->vertex);
}

// As `WindowVotes` decides a position: of the tallies whose intervals may
// hold the best sum, those with bounds are added up in voting order.
const PrefixVoteIndex::Tally& GeneratedImageCheck::bestBounded() {
  radii.resize(tallies.size());
  std::size_t best = 0;
  double lowest = 0.0;
  for (std::size_t k = 0; k < tallies.size(); ++k) {
    radii[k] = bounds[k].radius();
    const double low = lowerEnd(tallies[k].sum, radii[k]);
    if (k == 0 || low > lowest) {
      best = k;
      lowest = low;
    }
  }
  // The contenders and the best, added up in voting order at once where
  // they have bounds; then the exact sums decide.
  std::vector<std::size_t> contenders;
  std::vector<std::size_t> inexact;
  for (std::size_t k = 0; k < tallies.size(); ++k) {
    if (k == best || upperEnd(tallies[k].sum, radii[k]) < lowest) continue;
    contenders.push_back(k);
    if (radii[k] != 0.0) inexact.push_back(k);
  }
  if (!contenders.empty() && radii[best] != 0.0) inexact.push_back(best);
  const bool recomputed = !inexact.empty();
  if (recomputed) {
    std::vector<std::int32_t> vertices;
    for (const std::size_t k : inexact) vertices.push_back(tallies[k].vertex);
    std::vector<double> sums(vertices.size());
    index.orderedSums(sentence, vertices, sums);
    for (std::size_t i = 0; i < inexact.size(); ++i) {
      tallies[inexact[i]].sum = sums[i];
      radii[inexact[i]] = 0.0;
    }
    if (counts != nullptr) {
      counts->candidatesRecomputed.fetch_add(inexact.size(),
                                             std::memory_order_relaxed);
    }
  }
  std::size_t winner = best;
  for (const std::size_t k : contenders) {
    if (index.ranksBefore(sentence, tallies[k], tallies[winner],
                          windowGroups)) {
      winner = k;
    }
  }
  if (counts != nullptr) {
    counts->positions.fetch_add(1, std::memory_order_relaxed);
    if (recomputed) {
      counts->positionsRecomputed.fetch_add(1, std::memory_order_relaxed);
    }
  }
  return tallies[winner];
}

}  // namespace hn

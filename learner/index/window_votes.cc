#include "learner/index/window_votes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "learner/data/image.h"
#include "learner/index/exact_sum.h"

namespace hn {
namespace {

// Per-thread tables indexed by the index's dense vertex numbers, reused
// from query to query: an entry belongs to the current query only when its
// stamp is the current one, so nothing needs clearing.
struct Scratch {
  // Every vertex voted for, in the order of its first vote.
  struct VotedVertex {
    std::int32_t vertex;
    std::uint32_t vertexId;
    std::int32_t position;
  };
  std::vector<VotedVertex> candidates;
  std::vector<std::uint32_t> kept;
  std::vector<std::size_t> positions;

  std::vector<std::uint32_t> stamp;
  std::vector<double> sum;
  std::vector<std::uint32_t> firstWindow;
  // For sums with bounds: each one's bounds and radius.
  std::vector<SumBound> bound;
  std::vector<double> radius;
  std::uint32_t current = 0;
  // Per packed position (offset by the radix): the surviving candidate + 1.
  std::vector<std::uint32_t> bestAt =
      std::vector<std::uint32_t>(2 * kPositionRadix, 0);
  // Per packed position, the highest lower bound of its candidates' sums.
  std::vector<double> lowest = std::vector<double>(2 * kPositionRadix, 0.0);
  // (position, candidate) of the candidates that may be best there.
  std::vector<std::pair<std::size_t, std::uint32_t>> contenders;

  void begin(std::size_t vertexIds, bool bounded) {
    candidates.clear();
    if (stamp.size() < vertexIds) {
      stamp.resize(vertexIds, 0);
      sum.resize(vertexIds);
      firstWindow.resize(vertexIds);
    }
    if (bounded && bound.size() < vertexIds) {
      bound.resize(vertexIds);
      radius.resize(vertexIds);
    }
    if (++current == 0) {
      std::fill(stamp.begin(), stamp.end(), 0);
      current = 1;
    }
  }
};

Scratch& scratch() {
  thread_local Scratch tables;
  return tables;
}

}  // namespace

WindowVotes::WindowVotes(const PrefixVoteIndex& index,
                         std::span<const std::int32_t> sentence, bool bounded,
                         FallbackCounts* counts)
    : index(index), sentence(sentence), bounded(bounded), counts(counts) {
  scratch().begin(index.vertexIdCount(), bounded);
  for (const PrefixVoteIndex::SentenceGroup& group :
       index.sentenceGroups(sentence)) {
    if (bounded) {
      addGroupBounded(group);
    } else {
      addGroup(group);
    }
  }
}

// A group matched by k windows votes k times: its sums times k, exact as
// every sum is. Groups come in order of their first window, so a vertex's
// first group gives its first window.
void WindowVotes::addGroup(const PrefixVoteIndex::SentenceGroup& group) {
  Scratch& tables = scratch();
  const double times = group.windows;
  for (const PrefixVoteIndex::Vote& vote : index.votes(group.group)) {
    const std::uint32_t id = vote.vertexId;
    if (tables.stamp[id] == tables.current) {
      tables.sum[id] += times * vote.sum;
      continue;
    }
    tables.stamp[id] = tables.current;
    tables.sum[id] = times * vote.sum;
    tables.firstWindow[id] = group.firstWindow;
    tables.candidates.push_back(
        {vote.vertex, id, imageVertexPosition(vote.vertex)});
  }
}

void WindowVotes::addGroupBounded(const PrefixVoteIndex::SentenceGroup& group) {
  Scratch& tables = scratch();
  const double times = group.windows;
  for (const PrefixVoteIndex::Vote& vote : index.votes(group.group)) {
    const std::uint32_t id = vote.vertexId;
    if (tables.stamp[id] != tables.current) {
      tables.stamp[id] = tables.current;
      tables.sum[id] = 0.0;
      tables.bound[id] = SumBound{};
      tables.firstWindow[id] = group.firstWindow;
      tables.candidates.push_back(
          {vote.vertex, id, imageVertexPosition(vote.vertex)});
    }
    tables.bound[id].add(tables.sum[id], times, vote.sum, vote.error,
                         vote.magnitude, PrefixVoteIndex::termsOf(vote),
                         vote.fractionBits);
  }
}

void WindowVotes::recompute(std::uint32_t candidate) {
  recompute(std::span<const std::uint32_t>(&candidate, 1));
}

void WindowVotes::recompute(std::span<const std::uint32_t> candidates) {
  if (candidates.empty()) return;
  Scratch& tables = scratch();
  std::vector<std::int32_t> vertices;
  for (const std::uint32_t candidate : candidates) {
    vertices.push_back(tables.candidates[candidate].vertex);
  }
  std::vector<double> sums(vertices.size());
  index.orderedSums(sentence, vertices, sums);
  for (std::size_t k = 0; k < candidates.size(); ++k) {
    const std::uint32_t id = tables.candidates[candidates[k]].vertexId;
    tables.sum[id] = sums[k];
    tables.radius[id] = 0.0;
  }
  if (counts != nullptr) {
    counts->candidatesRecomputed.fetch_add(candidates.size(),
                                           std::memory_order_relaxed);
  }
}

// Per position, the candidate whose sum has the highest lower bound; the
// others whose upper bounds do not reach it cannot be best there. Where
// more than one may be, those with bounds are added up in voting order and
// the exact sums decide.
const std::vector<std::uint32_t>& WindowVotes::survivorsBounded() {
  Scratch& tables = scratch();
  std::vector<std::uint32_t>& bestAt = tables.bestAt;
  tables.positions.clear();
  const auto count = static_cast<std::uint32_t>(tables.candidates.size());
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t id = tables.candidates[i].vertexId;
    const double radius = tables.bound[id].radius();
    tables.radius[id] = radius;
    const double low = lowerEnd(tables.sum[id], radius);
    const auto position = static_cast<std::size_t>(
        tables.candidates[i].position + kPositionRadix);
    std::uint32_t& best = bestAt[position];
    if (best == 0) {
      tables.positions.push_back(position);
      best = i + 1;
      tables.lowest[position] = low;
    } else if (low > tables.lowest[position]) {
      best = i + 1;
      tables.lowest[position] = low;
    }
  }
  tables.contenders.clear();
  for (std::uint32_t i = 0; i < count; ++i) {
    const auto position = static_cast<std::size_t>(
        tables.candidates[i].position + kPositionRadix);
    if (bestAt[position] == i + 1) continue;
    const std::uint32_t id = tables.candidates[i].vertexId;
    if (upperEnd(tables.sum[id], tables.radius[id]) < tables.lowest[position]) {
      continue;
    }
    tables.contenders.emplace_back(position, i);
  }
  std::sort(tables.contenders.begin(), tables.contenders.end());
  // Every contender and the best of its position, added up in voting order
  // at once where they have bounds; then the exact sums decide.
  std::vector<std::uint32_t> inexact;
  std::uint64_t recomputedPositions = 0;
  for (std::size_t first = 0; first < tables.contenders.size();) {
    const std::size_t position = tables.contenders[first].first;
    const std::size_t before = inexact.size();
    const auto addIfInexact = [&](std::uint32_t candidate) {
      if (tables.radius[tables.candidates[candidate].vertexId] != 0.0) {
        inexact.push_back(candidate);
      }
    };
    addIfInexact(bestAt[position] - 1);
    for (; first < tables.contenders.size() &&
           tables.contenders[first].first == position;
         ++first) {
      addIfInexact(tables.contenders[first].second);
    }
    if (inexact.size() > before) ++recomputedPositions;
  }
  recompute(inexact);
  for (const auto& [position, candidate] : tables.contenders) {
    std::uint32_t& best = bestAt[position];
    if (ranksBefore(candidate, best - 1)) best = candidate + 1;
  }
  if (counts != nullptr) {
    counts->positions.fetch_add(tables.positions.size(),
                                std::memory_order_relaxed);
    counts->positionsRecomputed.fetch_add(recomputedPositions,
                                          std::memory_order_relaxed);
  }
  return keepBestPerPosition();
}

// The best candidate of every position voted for, in the order the
// positions were first voted for; `bestAt` is left clear for the next.
const std::vector<std::uint32_t>& WindowVotes::keepBestPerPosition() {
  Scratch& tables = scratch();
  tables.kept.clear();
  for (const std::size_t position : tables.positions) {
    tables.kept.push_back(tables.bestAt[position] - 1);
    tables.bestAt[position] = 0;
  }
  return tables.kept;
}

// Sorted by the sums with bounds, the order is certain where neighbours'
// intervals are apart, or both sums exact; neighbours whose intervals
// touch are added up in voting order and the whole sorted again.
void WindowVotes::rankBounded(std::vector<std::uint32_t>& kept) {
  Scratch& tables = scratch();
  const auto byRank = [this](std::uint32_t a, std::uint32_t b) {
    return ranksBefore(a, b);
  };
  std::vector<std::uint32_t> inexact;
  for (bool again = true; again;) {
    std::sort(kept.begin(), kept.end(), byRank);
    inexact.clear();
    for (std::size_t k = 0; k + 1 < kept.size(); ++k) {
      const std::uint32_t a = tables.candidates[kept[k]].vertexId;
      const std::uint32_t b = tables.candidates[kept[k + 1]].vertexId;
      if (tables.radius[a] == 0.0 && tables.radius[b] == 0.0) continue;
      if (upperEnd(tables.sum[b], tables.radius[b]) <
          lowerEnd(tables.sum[a], tables.radius[a])) {
        continue;
      }
      if (tables.radius[a] != 0.0) inexact.push_back(kept[k]);
      if (tables.radius[b] != 0.0) inexact.push_back(kept[k + 1]);
    }
    // Each candidate once, all in one pass over the votes.
    std::sort(inexact.begin(), inexact.end());
    inexact.erase(std::unique(inexact.begin(), inexact.end()), inexact.end());
    recompute(inexact);
    again = !inexact.empty();
  }
}

const std::vector<std::uint32_t>& WindowVotes::survivors() {
  if (bounded) return survivorsBounded();
  Scratch& tables = scratch();
  std::vector<std::uint32_t>& bestAt = tables.bestAt;
  tables.positions.clear();
  const auto count = static_cast<std::uint32_t>(tables.candidates.size());
  for (std::uint32_t i = 0; i < count; ++i) {
    const auto position = static_cast<std::size_t>(
        tables.candidates[i].position + kPositionRadix);
    std::uint32_t& best = bestAt[position];
    if (best == 0) {
      tables.positions.push_back(position);
      best = i + 1;
    } else if (ranksBefore(i, best - 1)) {
      best = i + 1;
    }
  }
  return keepBestPerPosition();
}

void WindowVotes::bestPerPosition(std::vector<std::int32_t>& vertices) {
  const Scratch& tables = scratch();
  vertices.clear();
  for (const std::uint32_t i : survivors()) {
    vertices.push_back(tables.candidates[i].vertex);
  }
}

std::vector<std::int32_t> WindowVotes::rankedBestPerPosition() {
  std::vector<std::uint32_t> kept = survivors();
  if (bounded) {
    rankBounded(kept);
  } else {
    std::sort(
        kept.begin(), kept.end(),
        [this](std::uint32_t a, std::uint32_t b) { return ranksBefore(a, b); });
  }
  const Scratch& tables = scratch();
  std::vector<std::int32_t> vertices;
  vertices.reserve(kept.size());
  for (const std::uint32_t i : kept) {
    vertices.push_back(tables.candidates[i].vertex);
  }
  return vertices;
}

// The index's ranking; the sums, compared first, decide nearly always.
bool WindowVotes::ranksBefore(std::uint32_t a, std::uint32_t b) {
  const Scratch& tables = scratch();
  const double sumA = tables.sum[tables.candidates[a].vertexId];
  const double sumB = tables.sum[tables.candidates[b].vertexId];
  if (sumA != sumB) return sumA > sumB;
  return votedBefore(a, b);
}

bool WindowVotes::votedBefore(std::uint32_t a, std::uint32_t b) {
  const Scratch& tables = scratch();
  const Scratch::VotedVertex& first = tables.candidates[a];
  const Scratch::VotedVertex& second = tables.candidates[b];
  return index.votedBefore(sentence,
                           {first.vertex, tables.firstWindow[first.vertexId],
                            tables.sum[first.vertexId]},
                           {second.vertex, tables.firstWindow[second.vertexId],
                            tables.sum[second.vertexId]},
                           groups);
}

}  // namespace hn

#include "learner/index/window_votes.h"

#include <algorithm>

#include "learner/data/image.h"

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
  std::uint32_t current = 0;
  // Per packed position (offset by the radix): the surviving candidate + 1.
  std::vector<std::uint32_t> bestAt =
      std::vector<std::uint32_t>(2 * kPositionRadix, 0);

  void begin(std::size_t vertexIds) {
    candidates.clear();
    if (stamp.size() < vertexIds) {
      stamp.resize(vertexIds, 0);
      sum.resize(vertexIds);
      firstWindow.resize(vertexIds);
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
                         std::span<const std::int32_t> sentence)
    : index(index), sentence(sentence) {
  scratch().begin(index.vertexIdCount());
  for (const PrefixVoteIndex::SentenceGroup& group :
       index.sentenceGroups(sentence)) {
    addGroup(group);
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

const std::vector<std::uint32_t>& WindowVotes::survivors() {
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
  tables.kept.clear();
  for (const std::size_t position : tables.positions) {
    tables.kept.push_back(bestAt[position] - 1);
    bestAt[position] = 0;
  }
  return tables.kept;
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
  std::sort(kept.begin(), kept.end(), [this](std::uint32_t a, std::uint32_t b) {
    return ranksBefore(a, b);
  });
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

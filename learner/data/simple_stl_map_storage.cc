#include "learner/data/simple_stl_map_storage.h"

#include <algorithm>

namespace hn {
namespace {

// Number of leading slots of the pattern that are not wildcards.
std::uint32_t concretePrefixLength(const Hyperedge& pattern) {
  return static_cast<std::uint32_t>(
      std::find(pattern.vertices, pattern.vertices + pattern.vertexCount,
                kWildcard) -
      pattern.vertices);
}

}  // namespace

void SimpleSTLMapStorage::initialize() {
  Storage::initialize();
  hyperedges.clear();
  voteIndex.reset();
  entriesWithWildcard = 0;
  storedVertexCount = 0;
  mixedVertexCounts = false;
}

int SimpleSTLMapStorage::add(const Hyperedge& hyperedge) {
  if (Hyperedge* stored = find(hyperedge)) {
    reweigh(*stored, stored->weight + 1.0);
  } else {
    insert(hyperedge, 1.0);
  }
  return 0;
}

double SimpleSTLMapStorage::getWeight(const Hyperedge& hyperedge) {
  if (const Hyperedge* stored = find(hyperedge)) return stored->weight;
  insert(hyperedge, 0.0);
  return 0.0;
}

void SimpleSTLMapStorage::setWeight(const Hyperedge& hyperedge, double weight) {
  if (Hyperedge* stored = find(hyperedge)) {
    reweigh(*stored, weight);
  } else {
    insert(hyperedge, weight);
  }
}

std::vector<const Hyperedge*> SimpleSTLMapStorage::viewMatching(
    const Hyperedge& pattern) const {
  const std::uint32_t prefixLength = concretePrefixLength(pattern);
  if (!canUsePrefixIndex(pattern, prefixLength)) return scanMatching(pattern);

  std::vector<const Hyperedge*> matching;
  if (hyperedges.empty() || pattern.vertexCount != storedVertexCount) {
    return matching;
  }
  const Hyperedge prefix(prefixLength, pattern.vertices);
  for (auto it = hyperedges.lower_bound(prefix);
       it != hyperedges.end() && !(prefix < *it); ++it) {
    if (it->matches(pattern)) matching.push_back(&*it);
  }
  rankVertexOrdered(matching);
  return matching;
}

std::vector<const Hyperedge*> SimpleSTLMapStorage::scanMatching(
    const Hyperedge& pattern) const {
  std::vector<const Hyperedge*> matching;
  for (const Hyperedge& stored : hyperedges) {
    if (stored.matches(pattern)) matching.push_back(&stored);
  }
  rankVertexOrdered(matching);
  return matching;
}

std::vector<const Hyperedge*> SimpleSTLMapStorage::viewAll(bool sorted) const {
  std::vector<const Hyperedge*> all;
  all.reserve(hyperedges.size());
  for (const Hyperedge& stored : hyperedges) all.push_back(&stored);
  if (sorted) rankVertexOrdered(all);
  return all;
}

std::size_t SimpleSTLMapStorage::size() const { return hyperedges.size(); }

PrefixVoteIndex* SimpleSTLMapStorage::prefixVotes(std::uint32_t prefixLength,
                                                  std::uint32_t length) {
  if (voteIndex == nullptr || voteIndex->prefixLength() != prefixLength ||
      voteIndex->length() != length) {
    voteIndex = std::make_unique<PrefixVoteIndex>(prefixLength, length);
    for (const Hyperedge& stored : hyperedges) voteIndex->inserted(stored);
  }
  return voteIndex.get();
}

Hyperedge* SimpleSTLMapStorage::find(const Hyperedge& hyperedge) {
  const auto position = hyperedges.lower_bound(hyperedge);
  if (position == hyperedges.end() || hyperedge < *position) return nullptr;
  // The weight takes no part in the set's order, so changing it in place
  // keeps the set valid; set elements are only const to protect the key.
  return const_cast<Hyperedge*>(&*position);
}

void SimpleSTLMapStorage::insert(const Hyperedge& hyperedge, double weight) {
  Hyperedge entry(hyperedge.vertexCount, hyperedge.vertices);
  entry.weight = weight;
  if (entry.holdsWildcard()) ++entriesWithWildcard;
  if (hyperedges.empty()) {
    storedVertexCount = entry.vertexCount;
  } else if (entry.vertexCount != storedVertexCount) {
    mixedVertexCounts = true;
  }
  const Hyperedge& stored = *hyperedges.insert(std::move(entry)).first;
  if (voteIndex) voteIndex->inserted(stored);
}

void SimpleSTLMapStorage::reweigh(Hyperedge& stored, double weight) {
  const double previous = stored.weight;
  stored.weight = weight;
  if (voteIndex) voteIndex->reweighted(stored, previous);
}

bool SimpleSTLMapStorage::canUsePrefixIndex(const Hyperedge& pattern,
                                            std::uint32_t prefixLength) const {
  return prefixLength > 0 && prefixLength <= pattern.vertexCount &&
         entriesWithWildcard == 0 && !mixedVertexCounts;
}

}  // namespace hn

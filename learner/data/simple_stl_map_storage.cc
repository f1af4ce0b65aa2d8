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
  entriesWithWildcard = 0;
  storedVertexCount = 0;
  mixedVertexCounts = false;
}

int SimpleSTLMapStorage::add(const Hyperedge& hyperedge) {
  // A new entry starts at 0 and gains the 1 of this occurrence.
  findOrInsert(hyperedge, 0.0).weight += 1.0;
  return 0;
}

double SimpleSTLMapStorage::getWeight(const Hyperedge& hyperedge) {
  return findOrInsert(hyperedge, 0.0).weight;
}

void SimpleSTLMapStorage::setWeight(const Hyperedge& hyperedge, double weight) {
  findOrInsert(hyperedge, 0.0).weight = weight;
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

Hyperedge& SimpleSTLMapStorage::findOrInsert(const Hyperedge& hyperedge,
                                             double initialWeight) {
  auto position = hyperedges.lower_bound(hyperedge);
  if (position == hyperedges.end() || hyperedge < *position) {
    Hyperedge entry(hyperedge.vertexCount, hyperedge.vertices);
    entry.weight = initialWeight;
    if (entry.holdsWildcard()) ++entriesWithWildcard;
    if (hyperedges.empty()) {
      storedVertexCount = entry.vertexCount;
    } else if (entry.vertexCount != storedVertexCount) {
      mixedVertexCounts = true;
    }
    position = hyperedges.emplace_hint(position, std::move(entry));
  }
  // The weight takes no part in the set's order, so changing it in place
  // keeps the set valid; set elements are only const to protect the key.
  return const_cast<Hyperedge&>(*position);
}

bool SimpleSTLMapStorage::canUsePrefixIndex(const Hyperedge& pattern,
                                            std::uint32_t prefixLength) const {
  return prefixLength > 0 && prefixLength <= pattern.vertexCount &&
         entriesWithWildcard == 0 && !mixedVertexCounts;
}

}  // namespace hn

#include "learner/data/simple_stl_map_storage.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "learner/data/hyperedge_views.h"

namespace hn {
namespace {

HyperedgeView viewOf(const Hyperedge& stored) {
  return {{stored.vertices, stored.vertexCount}, stored.weight};
}

}  // namespace

SimpleSTLMapStorage::SimpleSTLMapStorage(SimpleSTLMapStorage&& other) noexcept
    : HyperedgeStore(other),
      hyperedges(std::move(other.hyperedges)),
      byId(std::move(other.byId)),
      entriesWithWildcard(other.entriesWithWildcard),
      storedVertexCount(other.storedVertexCount),
      mixedVertexCounts(other.mixedVertexCounts) {}

void SimpleSTLMapStorage::initialize() {
  Storage::initialize();
  clear();
  for (StoreObserver* observer : observers) observer->emptied();
}

int SimpleSTLMapStorage::add(const Hyperedge& hyperedge) {
  Entries::iterator position;
  if (Entry* stored = find(hyperedge, position)) {
    reweigh(*stored, stored->hyperedge.weight + 1.0);
  } else {
    insert(position, hyperedge, 1.0);
  }
  return 0;
}

double SimpleSTLMapStorage::getWeight(const Hyperedge& hyperedge) {
  Entries::iterator position;
  if (const Entry* stored = find(hyperedge, position)) {
    return stored->hyperedge.weight;
  }
  insert(position, hyperedge, 0.0);
  return 0.0;
}

void SimpleSTLMapStorage::setWeight(const Hyperedge& hyperedge, double weight) {
  Entries::iterator position;
  if (Entry* stored = find(hyperedge, position)) {
    reweigh(*stored, weight);
  } else {
    insert(position, hyperedge, weight);
  }
}

std::vector<Hyperedge> SimpleSTLMapStorage::findMatching(
    const Hyperedge& pattern) const {
  return copiesOf(scanMatching(pattern));
}

std::vector<Hyperedge> SimpleSTLMapStorage::getAll(bool sorted) const {
  std::vector<HyperedgeView> all;
  all.reserve(hyperedges.size());
  for (const Entry& stored : hyperedges)
    all.push_back(viewOf(stored.hyperedge));
  if (sorted) rankVertexOrdered(all);
  return copiesOf(all);
}

void SimpleSTLMapStorage::forEachInVertexOrder(const Visit& visit) const {
  for (const Entry& stored : hyperedges) {
    visit(stored.id, viewOf(stored.hyperedge));
  }
}

std::vector<HyperedgeView> SimpleSTLMapStorage::viewMatching(
    const Hyperedge& pattern) const {
  const std::uint32_t prefixLength = concretePrefixLength(pattern);
  if (!canUsePrefixIndex(pattern, prefixLength)) return scanMatching(pattern);

  std::vector<HyperedgeView> matching;
  if (hyperedges.empty() || pattern.vertexCount != storedVertexCount) {
    return matching;
  }
  const Hyperedge prefix(prefixLength, pattern.vertices);
  for (auto it = hyperedges.lower_bound(prefix);
       it != hyperedges.end() && !(prefix < it->hyperedge); ++it) {
    if (it->hyperedge.matches(pattern)) {
      matching.push_back(viewOf(it->hyperedge));
    }
  }
  rankVertexOrdered(matching);
  return matching;
}

std::vector<HyperedgeView> SimpleSTLMapStorage::scanMatching(
    const Hyperedge& pattern) const {
  std::vector<HyperedgeView> matching;
  for (const Entry& stored : hyperedges) {
    if (stored.hyperedge.matches(pattern)) {
      matching.push_back(viewOf(stored.hyperedge));
    }
  }
  rankVertexOrdered(matching);
  return matching;
}

void SimpleSTLMapStorage::load(std::uint32_t length, std::size_t count,
                               const NextHyperedge& next) {
  set("order", intToText(static_cast<std::int32_t>(length)));
  Storage::initialize();
  clear();
  Hyperedge scratch(length);
  for (std::size_t i = 0; i < count; ++i) {
    scratch.weight = next({scratch.vertices, length});
    // In strict vertex order every hyperedge goes last, without a search.
    Entries::iterator position = hyperedges.end();
    if (!hyperedges.empty() && !(std::prev(position)->hyperedge < scratch)) {
      if (Entry* stored = find(scratch, position)) {
        stored->hyperedge.weight = scratch.weight;
        continue;
      }
    }
    place(position, scratch, scratch.weight);
  }
  for (StoreObserver* observer : observers) observer->loaded();
}

void SimpleSTLMapStorage::addObserver(StoreObserver& observer) {
  observers.push_back(&observer);
}

void SimpleSTLMapStorage::removeObserver(StoreObserver& observer) {
  std::erase(observers, &observer);
}

SimpleSTLMapStorage::Entry* SimpleSTLMapStorage::find(
    const Hyperedge& hyperedge, Entries::iterator& position) {
  position = hyperedges.lower_bound(hyperedge);
  if (position == hyperedges.end() || hyperedge < position->hyperedge) {
    return nullptr;
  }
  // The weight takes no part in the set's order, so changing it in place
  // keeps the set valid; set elements are only const to protect the key.
  return const_cast<Entry*>(&*position);
}

void SimpleSTLMapStorage::insert(Entries::iterator position,
                                 const Hyperedge& hyperedge, double weight) {
  const HyperedgeId id = place(position, hyperedge, weight);
  for (StoreObserver* observer : observers) observer->inserted(id);
}

HyperedgeId SimpleSTLMapStorage::place(Entries::iterator position,
                                       const Hyperedge& hyperedge,
                                       double weight) {
  Entry entry{Hyperedge(hyperedge.vertexCount, hyperedge.vertices),
              static_cast<HyperedgeId>(byId.size())};
  entry.hyperedge.weight = weight;
  if (entry.hyperedge.holdsWildcard()) ++entriesWithWildcard;
  if (hyperedges.empty()) {
    storedVertexCount = entry.hyperedge.vertexCount;
  } else if (entry.hyperedge.vertexCount != storedVertexCount) {
    mixedVertexCounts = true;
  }
  const Entry& stored = *hyperedges.insert(position, std::move(entry));
  byId.push_back(&stored.hyperedge);
  return stored.id;
}

void SimpleSTLMapStorage::reweigh(Entry& stored, double weight) {
  const double previous = stored.hyperedge.weight;
  stored.hyperedge.weight = weight;
  for (StoreObserver* observer : observers) {
    observer->reweighted(stored.id, previous);
  }
}

void SimpleSTLMapStorage::clear() {
  hyperedges.clear();
  byId.clear();
  entriesWithWildcard = 0;
  storedVertexCount = 0;
  mixedVertexCounts = false;
}

bool SimpleSTLMapStorage::canUsePrefixIndex(const Hyperedge& pattern,
                                            std::uint32_t prefixLength) const {
  return prefixLength > 0 && prefixLength <= pattern.vertexCount &&
         entriesWithWildcard == 0 && !mixedVertexCounts;
}

}  // namespace hn

#include "learner/data/flat_storage.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numeric>

#include "learner/data/hyperedge_views.h"

namespace hn {
namespace {

constexpr unsigned kFirstTableBits = 10;

}  // namespace

void FlatStorage::initialize() {
  Storage::initialize();
  mixed.reset();
  clear();
  for (StoreObserver* observer : observers) observer->emptied();
}

int FlatStorage::add(const Hyperedge& hyperedge) {
  if (!staysFlat(hyperedge)) return mixed->add(hyperedge);
  const std::span<const std::int32_t> key(hyperedge.vertices,
                                          hyperedge.vertexCount);
  std::size_t slot = 0;
  const HyperedgeId id = find(key, slot);
  if (id == kEmptySlot) {
    tellInserted(append(key, 1.0, slot));
  } else {
    double& stored = weightOf(id);
    const double previous = stored;
    stored = previous + 1.0;
    tellReweighted(id, previous);
  }
  return 0;
}

double FlatStorage::getWeight(const Hyperedge& hyperedge) {
  if (!staysFlat(hyperedge)) return mixed->getWeight(hyperedge);
  const std::span<const std::int32_t> key(hyperedge.vertices,
                                          hyperedge.vertexCount);
  std::size_t slot = 0;
  const HyperedgeId id = find(key, slot);
  if (id != kEmptySlot) return weight(id);
  tellInserted(append(key, 0.0, slot));
  return 0.0;
}

void FlatStorage::setWeight(const Hyperedge& hyperedge, double weight) {
  if (!staysFlat(hyperedge)) return mixed->setWeight(hyperedge, weight);
  const std::span<const std::int32_t> key(hyperedge.vertices,
                                          hyperedge.vertexCount);
  std::size_t slot = 0;
  const HyperedgeId id = find(key, slot);
  if (id == kEmptySlot) {
    tellInserted(append(key, weight, slot));
    return;
  }
  double& stored = weightOf(id);
  const double previous = stored;
  stored = weight;
  tellReweighted(id, previous);
}

std::vector<Hyperedge> FlatStorage::findMatching(
    const Hyperedge& pattern) const {
  if (mixed) return mixed->findMatching(pattern);
  return copiesOf(viewMatching(pattern));
}

std::vector<Hyperedge> FlatStorage::getAll(bool sorted) const {
  if (mixed) return mixed->getAll(sorted);
  std::vector<HyperedgeView> all;
  all.reserve(count);
  for (const HyperedgeId id : vertexOrder()) all.push_back(viewOf(id));
  if (sorted) rankVertexOrdered(all);
  return copiesOf(all);
}

std::size_t FlatStorage::size() const { return mixed ? mixed->size() : count; }

std::span<const std::int32_t> FlatStorage::vertices(HyperedgeId id) const {
  if (mixed) return mixed->vertices(id);
  return {vertexBlocks[id >> kBlockBits].get() +
              std::size_t{id & (kBlockSize - 1)} * length,
          length};
}

double FlatStorage::weight(HyperedgeId id) const {
  if (mixed) return mixed->weight(id);
  return weightBlocks[id >> kBlockBits][id & (kBlockSize - 1)];
}

// One pass in vertex order (text generation's snapshot, a saved model)
// sorts afresh unless the order is at hand, and does not keep it: at a
// million pairs it takes 128 MB that the indexes built next need more.
void FlatStorage::forEachInVertexOrder(const Visit& visit) const {
  if (mixed) return mixed->forEachInVertexOrder(visit);
  if (sortedCount.load(std::memory_order_acquire) == count) {
    for (const HyperedgeId id : sortedIds) visit(id, viewOf(id));
    return;
  }
  std::vector<HyperedgeId> order;
  {
    const std::lock_guard<std::mutex> guard(orderLock);
    order = sortedIds;
  }
  extendOrder(order);
  for (const HyperedgeId id : order) visit(id, viewOf(id));
}

std::vector<HyperedgeView> FlatStorage::viewMatching(
    const Hyperedge& pattern) const {
  if (mixed) return mixed->viewMatching(pattern);
  if (count == 0 || pattern.vertexCount != length) return {};
  std::vector<HyperedgeView> matching = matchingInVertexOrder(pattern);
  rankVertexOrdered(matching);
  return matching;
}

// A pattern whose leading slots are concrete only needs the ids that share
// that prefix, a range of the vertex order, unless a stored wildcard could
// match it from outside the range. The ids inserted since the order was
// last brought up to date are tested one by one and merged in.
std::vector<HyperedgeView> FlatStorage::matchingInVertexOrder(
    const Hyperedge& pattern) const {
  const std::size_t sorted = sortedForMatching();
  auto first = sortedIds.begin();
  auto last = sortedIds.begin() + static_cast<std::ptrdiff_t>(sorted);
  const std::uint32_t prefixLength = concretePrefixLength(pattern);
  if (prefixLength > 0 && withWildcard == 0) {
    const std::span<const std::int32_t> prefix(pattern.vertices, prefixLength);
    const auto prefixOf = [this, prefixLength](HyperedgeId id) {
      return vertices(id).first(prefixLength);
    };
    first =
        std::lower_bound(first, last, prefix, [&](HyperedgeId id, auto wanted) {
          return vertexOrderLess(prefixOf(id), wanted);
        });
    last =
        std::upper_bound(first, last, prefix, [&](auto wanted, HyperedgeId id) {
          return vertexOrderLess(wanted, prefixOf(id));
        });
  }
  std::vector<HyperedgeView> matching;
  for (auto it = first; it != last; ++it) {
    if (matchesPattern(vertices(*it), pattern)) matching.push_back(viewOf(*it));
  }
  const auto inRange = static_cast<std::ptrdiff_t>(matching.size());
  for (std::size_t id = sorted; id < count; ++id) {
    const auto recent = static_cast<HyperedgeId>(id);
    if (matchesPattern(vertices(recent), pattern)) {
      matching.push_back(viewOf(recent));
    }
  }
  const auto inVertexOrder = [](const HyperedgeView& x,
                                const HyperedgeView& y) {
    return vertexOrderLess(x.vertices, y.vertices);
  };
  std::sort(matching.begin() + inRange, matching.end(), inVertexOrder);
  std::inplace_merge(matching.begin(), matching.begin() + inRange,
                     matching.end(), inVertexOrder);
  return matching;
}

void FlatStorage::load(std::uint32_t length, std::size_t count,
                       const NextHyperedge& next) {
  set("order", intToText(static_cast<std::int32_t>(length)));
  Storage::initialize();
  mixed.reset();
  clear();
  this->length = length;
  std::vector<std::int32_t> scratch(length);
  for (std::size_t i = 0; i < count; ++i) {
    const double weight = next(scratch);
    std::size_t slot = 0;
    const HyperedgeId id = find(scratch, slot);
    if (id == kEmptySlot) {
      append(scratch, weight, slot);
    } else {
      weightOf(id) = weight;
    }
  }
  for (StoreObserver* observer : observers) observer->loaded();
}

void FlatStorage::addObserver(StoreObserver& observer) {
  observers.push_back(&observer);
  if (mixed) mixed->addObserver(observer);
}

void FlatStorage::removeObserver(StoreObserver& observer) {
  std::erase(observers, &observer);
  if (mixed) mixed->removeObserver(observer);
}

HyperedgeId FlatStorage::find(std::span<const std::int32_t> key,
                              std::size_t& slot) const {
  if (table.empty()) return kEmptySlot;
  const std::size_t mask = table.size() - 1;
  for (slot = slotOf(key);; slot = (slot + 1) & mask) {
    const HyperedgeId id = table[slot];
    if (id == kEmptySlot) return kEmptySlot;
    const std::span<const std::int32_t> stored = vertices(id);
    if (std::equal(stored.begin(), stored.end(), key.begin())) return id;
  }
}

HyperedgeId FlatStorage::append(std::span<const std::int32_t> key,
                                double weight, std::size_t slot) {
  // Ids are 32 bits and one value marks a free slot.
  if (count >= kEmptySlot) throw std::bad_alloc();
  if ((count + 1) * 4 > table.size() * 3) {
    growTable();
    find(key, slot);
  }
  const auto id = static_cast<HyperedgeId>(count);
  if ((count & (kBlockSize - 1)) == 0) {
    vertexBlocks.push_back(
        std::make_unique_for_overwrite<std::int32_t[]>(kBlockSize * length));
    weightBlocks.push_back(
        std::make_unique_for_overwrite<double[]>(kBlockSize));
  }
  std::copy(key.begin(), key.end(),
            vertexBlocks.back().get() + (count & (kBlockSize - 1)) * length);
  weightBlocks.back()[count & (kBlockSize - 1)] = weight;
  table[slot] = id;
  ++count;
  if (holdsWildcard(key)) ++withWildcard;
  return id;
}

void FlatStorage::growTable() {
  tableBits = table.empty() ? kFirstTableBits : tableBits + 1;
  table.assign(std::size_t{1} << tableBits, kEmptySlot);
  const std::size_t mask = table.size() - 1;
  for (HyperedgeId id = 0; id < count; ++id) {
    std::size_t slot = slotOf(vertices(id));
    while (table[slot] != kEmptySlot) slot = (slot + 1) & mask;
    table[slot] = id;
  }
}

// Multiplicative hashing of every vertex, the top bits taken as the slot.
std::size_t FlatStorage::slotOf(std::span<const std::int32_t> key) const {
  std::uint64_t hash = 0x9E3779B97F4A7C15ULL;
  for (const std::int32_t vertex : key) {
    hash ^= static_cast<std::uint32_t>(vertex);
    hash *= 0xFF51AFD7ED558CCDULL;
    hash ^= hash >> 29;
  }
  hash *= 0xC4CEB9FE1A85EC53ULL;
  return static_cast<std::size_t>(hash >> (64 - tableBits));
}

void FlatStorage::tellInserted(HyperedgeId id) {
  for (StoreObserver* observer : observers) observer->inserted(id);
}

void FlatStorage::tellReweighted(HyperedgeId id, double previous) {
  for (StoreObserver* observer : observers) {
    observer->reweighted(id, previous);
  }
}

bool FlatStorage::staysFlat(const Hyperedge& hyperedge) {
  if (mixed) return false;
  if (count == 0) length = hyperedge.vertexCount;
  if (hyperedge.vertexCount == length) return true;
  moveIntoSet();
  return false;
}

// The set takes the hyperedges in id order, each new to it, so it gives
// them the same ids.
void FlatStorage::moveIntoSet() {
  auto set = std::make_unique<SimpleSTLMapStorage>();
  set->set("order", get("order"));
  set->initialize();
  Hyperedge scratch(length);
  for (HyperedgeId id = 0; id < count; ++id) {
    const std::span<const std::int32_t> stored = vertices(id);
    std::copy(stored.begin(), stored.end(), scratch.vertices);
    set->setWeight(scratch, weight(id));
  }
  for (StoreObserver* observer : observers) set->addObserver(*observer);
  clear();
  mixed = std::move(set);
}

void FlatStorage::clear() {
  length = 0;
  count = 0;
  vertexBlocks.clear();
  weightBlocks.clear();
  table.clear();
  table.shrink_to_fit();
  tableBits = 0;
  withWildcard = 0;
  const std::lock_guard<std::mutex> guard(orderLock);
  sortedIds.clear();
  sortedIds.shrink_to_fit();
  sortedCount.store(0, std::memory_order_release);
}

const std::vector<HyperedgeId>& FlatStorage::vertexOrder() const {
  if (sortedCount.load(std::memory_order_acquire) == count) return sortedIds;
  const std::lock_guard<std::mutex> guard(orderLock);
  if (sortedIds.size() < count) {
    extendOrder(sortedIds);
    sortedCount.store(sortedIds.size(), std::memory_order_release);
  }
  return sortedIds;
}

// Ids inserted since the order was brought up to date are merged in once
// they are more than about the square root of the population: each match
// tests that many one by one, and a run that inserts between its queries
// (the weight update does) sorts the whole order only every so often.
std::size_t FlatStorage::sortedForMatching() const {
  const auto tailLimit = [this] {
    return std::max<std::size_t>(
        1024, 16 * static_cast<std::size_t>(std::sqrt(double(count))));
  };
  const std::size_t sorted = sortedCount.load(std::memory_order_acquire);
  if (count - sorted <= tailLimit()) return sorted;
  const std::lock_guard<std::mutex> guard(orderLock);
  if (count - sortedIds.size() > tailLimit()) {
    extendOrder(sortedIds);
    sortedCount.store(sortedIds.size(), std::memory_order_release);
  }
  return sortedIds.size();
}

// Ids never go away but all at once, so the ids from order.size() on are
// the ones inserted since `order` was sorted: they are sorted and merged
// in.
void FlatStorage::extendOrder(std::vector<HyperedgeId>& order) const {
  const auto less = [this](HyperedgeId x, HyperedgeId y) {
    return vertexOrderLess(vertices(x), vertices(y));
  };
  const auto sorted = static_cast<std::ptrdiff_t>(order.size());
  order.resize(count);
  std::iota(order.begin() + sorted, order.end(),
            static_cast<HyperedgeId>(sorted));
  std::sort(order.begin() + sorted, order.end(), less);
  std::inplace_merge(order.begin(), order.begin() + sorted, order.end(), less);
}

}  // namespace hn

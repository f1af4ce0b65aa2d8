#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "learner/data/hyperedge.h"
#include "learner/data/hyperedge_store.h"
#include "learner/data/simple_stl_map_storage.h"

namespace hn {

// The store in flat arrays, for populations of millions of hyperedges: the
// vertices of each hyperedge side by side in blocks that never move, the
// weights apart, and an open-addressing hash table of 32-bit ids to find
// them. Six vertices take about 40 bytes a hyperedge, against some 120 as
// set nodes. Ids are dense in order of insertion, as in the set.
//
// The vertex order that `getAll`, `forEachInVertexOrder` and matching need
// (plain lexicographic order, as the stored hyperedges share one length)
// is an array of ids sorted by their vertices, brought up to date when it is
// asked for: the ids inserted since are sorted and merged in, so a run that
// first samples and then queries sorts once. Matching takes up to about
// the square root of the population of recent ids unsorted and tests them
// one by one, so that queries between insertions do not sort each time.
//
// Behaves exactly as `SimpleSTLMapStorage`. That store's vertex order
// compares keys of different lengths by their common prefix only, so a
// hyperedge of another length than the stored ones (only hand-made inputs
// hold one) may equal a stored one without being equal to it. The first such
// hyperedge moves the population into a `SimpleSTLMapStorage`, under the
// same ids and weights, and the store forwards to it until `initialize` or
// `load` starts afresh.
class FlatStorage final : public HyperedgeStore {
 public:
  FlatStorage() = default;
  FlatStorage(const FlatStorage&) = delete;
  FlatStorage& operator=(const FlatStorage&) = delete;

  void initialize() override;
  int add(const Hyperedge& hyperedge) override;
  double getWeight(const Hyperedge& hyperedge) override;
  void setWeight(const Hyperedge& hyperedge, double weight) override;
  std::vector<Hyperedge> findMatching(const Hyperedge& pattern) const override;
  std::vector<Hyperedge> getAll(bool sorted) const override;

  std::size_t size() const override;
  std::span<const std::int32_t> vertices(HyperedgeId id) const override;
  double weight(HyperedgeId id) const override;
  void forEachInVertexOrder(const Visit& visit) const override;
  std::vector<HyperedgeView> viewMatching(
      const Hyperedge& pattern) const override;
  void load(std::uint32_t length, std::size_t count,
            const NextHyperedge& next) override;
  void addObserver(StoreObserver& observer) override;
  void removeObserver(StoreObserver& observer) override;

  // Whether the population moved into the set (see above).
  bool holdsMixedLengths() const { return mixed != nullptr; }

 private:
  static constexpr unsigned kBlockBits = 16;
  static constexpr std::size_t kBlockSize = std::size_t{1} << kBlockBits;
  static constexpr HyperedgeId kEmptySlot = 0xFFFFFFFF;

  // The id of the stored hyperedge with these vertices, or kEmptySlot;
  // `slot` is where it is or would go in the table.
  HyperedgeId find(std::span<const std::int32_t> vertices,
                   std::size_t& slot) const;
  // Appends an unknown hyperedge at `slot` of the table; returns its id.
  HyperedgeId append(std::span<const std::int32_t> vertices, double weight,
                     std::size_t slot);
  void growTable();
  std::size_t slotOf(std::span<const std::int32_t> vertices) const;
  double& weightOf(HyperedgeId id) {
    return weightBlocks[id >> kBlockBits][id & (kBlockSize - 1)];
  }
  void tellInserted(HyperedgeId id);
  void tellReweighted(HyperedgeId id, double previous);
  // Whether `hyperedge` is of the stored length (any length while empty);
  // if not, moves the population into the set first.
  bool staysFlat(const Hyperedge& hyperedge);
  void moveIntoSet();
  void clear();
  // The ids in vertex order, brought up to date under a lock: queries of
  // several threads may ask at once.
  const std::vector<HyperedgeId>& vertexOrder() const;
  // How many ids from the front of `sortedIds` matching may take as
  // sorted; the rest it tests one by one.
  std::size_t sortedForMatching() const;
  // Brings `order`, the ids from 0 up to its size in vertex order, up to
  // every id.
  void extendOrder(std::vector<HyperedgeId>& order) const;
  std::vector<HyperedgeView> matchingInVertexOrder(
      const Hyperedge& pattern) const;
  HyperedgeView viewOf(HyperedgeId id) const {
    return {vertices(id), weight(id)};
  }

  std::uint32_t length = 0;
  std::size_t count = 0;
  std::vector<std::unique_ptr<std::int32_t[]>> vertexBlocks;
  std::vector<std::unique_ptr<double[]>> weightBlocks;
  // Open addressing with linear probing; kEmptySlot marks a free slot.
  std::vector<HyperedgeId> table;
  unsigned tableBits = 0;
  // Stored hyperedges holding the wildcard: matching by prefix cannot use
  // the vertex order while there are any.
  std::size_t withWildcard = 0;

  // The ids from 0 up to `sortedCount` in vertex order; they change under
  // the lock only.
  mutable std::mutex orderLock;
  mutable std::vector<HyperedgeId> sortedIds;
  mutable std::atomic<std::size_t> sortedCount{0};

  std::unique_ptr<SimpleSTLMapStorage> mixed;
  std::vector<StoreObserver*> observers;
};

}  // namespace hn

#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <span>
#include <vector>

#include "learner/data/hyperedge.h"
#include "learner/data/hyperedge_store.h"

namespace hn {

// The store as an ordered set keyed by the vertex order. Weights live in the
// stored hyperedges and change in place; they never take part in the key.
//
// Besides the defined operations it serves the population by id, in the
// order of insertion, and tells its observers of every change.
// `viewMatching` uses the set's order as an index: a pattern whose leading
// slots are concrete only needs the entries that share that prefix. The
// result is exactly that of `scanMatching`, which tests every entry; the
// index is used only when it cannot miss a match (see `canUsePrefixIndex`).
class SimpleSTLMapStorage final : public HyperedgeStore {
 public:
  SimpleSTLMapStorage() = default;
  // Takes the hyperedges, under their ids, but not the observers.
  SimpleSTLMapStorage(SimpleSTLMapStorage&& other) noexcept;
  SimpleSTLMapStorage(const SimpleSTLMapStorage&) = delete;
  SimpleSTLMapStorage& operator=(const SimpleSTLMapStorage&) = delete;

  void initialize() override;
  int add(const Hyperedge& hyperedge) override;
  double getWeight(const Hyperedge& hyperedge) override;
  void setWeight(const Hyperedge& hyperedge, double weight) override;
  std::vector<Hyperedge> findMatching(const Hyperedge& pattern) const override;
  std::vector<Hyperedge> getAll(bool sorted) const override;

  std::size_t size() const override { return byId.size(); }
  std::span<const std::int32_t> vertices(HyperedgeId id) const override {
    return {byId[id]->vertices, byId[id]->vertexCount};
  }
  double weight(HyperedgeId id) const override { return byId[id]->weight; }
  void forEachInVertexOrder(const Visit& visit) const override;
  std::vector<HyperedgeView> viewMatching(
      const Hyperedge& pattern) const override;
  void load(std::uint32_t length, std::size_t count,
            const NextHyperedge& next) override;
  void addObserver(StoreObserver& observer) override;
  void removeObserver(StoreObserver& observer) override;

  // The plain full scan: every entry is tested, then the matches are ranked.
  std::vector<HyperedgeView> scanMatching(const Hyperedge& pattern) const;

 private:
  struct Entry {
    Hyperedge hyperedge;
    HyperedgeId id;
  };
  // The vertex order, also between an entry and a bare hyperedge.
  struct VertexOrder {
    using is_transparent = void;
    bool operator()(const Entry& x, const Entry& y) const {
      return x.hyperedge < y.hyperedge;
    }
    bool operator()(const Entry& x, const Hyperedge& y) const {
      return x.hyperedge < y;
    }
    bool operator()(const Hyperedge& x, const Entry& y) const {
      return x < y.hyperedge;
    }
  };
  using Entries = std::set<Entry, VertexOrder>;

  // The entry equal to `hyperedge` in the vertex order, or null; `position`
  // is where it is or would be.
  Entry* find(const Hyperedge& hyperedge, Entries::iterator& position);
  // Inserts a copy of the vertices of an unknown hyperedge with `weight`
  // just before `position`, and tells the observers.
  void insert(Entries::iterator position, const Hyperedge& hyperedge,
              double weight);
  // `insert` without telling anyone; returns the new id.
  HyperedgeId place(Entries::iterator position, const Hyperedge& hyperedge,
                    double weight);
  void reweigh(Entry& stored, double weight);
  void clear();
  bool canUsePrefixIndex(const Hyperedge& pattern,
                         std::uint32_t prefixLength) const;

  Entries hyperedges;
  // Set elements never move, so they can be reached by id.
  std::vector<const Hyperedge*> byId;
  std::vector<StoreObserver*> observers;

  // Bookkeeping that decides whether the prefix index is exact: it is not
  // when a stored vertex is itself a wildcard, or when vertex counts differ
  // (then prefix-equal keys of different lengths interleave).
  std::size_t entriesWithWildcard = 0;
  std::uint32_t storedVertexCount = 0;
  bool mixedVertexCounts = false;
};

}  // namespace hn

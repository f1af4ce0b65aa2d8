#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include "learner/data/hyperedge.h"
#include "learner/data/prefix_vote_index.h"
#include "learner/data/storage.h"

namespace hn {

// The store as an ordered set keyed by the vertex order. Weights live in the
// stored hyperedges and change in place; they never take part in the key.
//
// Matching uses the set's order as an index: a pattern whose leading slots
// are concrete only needs the entries that share that prefix. The result is
// exactly that of `scanMatching`, which tests every entry; the index is used
// only when it cannot miss a match (see `canUsePrefixIndex`).
class SimpleSTLMapStorage : public Storage {
 public:
  void initialize() override;
  int add(const Hyperedge& hyperedge) override;
  double getWeight(const Hyperedge& hyperedge) override;
  void setWeight(const Hyperedge& hyperedge, double weight) override;
  std::vector<const Hyperedge*> viewMatching(
      const Hyperedge& pattern) const override;
  std::vector<const Hyperedge*> viewAll(bool sorted) const override;
  std::size_t size() const override;
  PrefixVoteIndex* prefixVotes(std::uint32_t prefixLength,
                               std::uint32_t length) override;

  // The plain full scan: every entry is tested, then the matches are ranked.
  std::vector<const Hyperedge*> scanMatching(const Hyperedge& pattern) const;

 private:
  // The stored hyperedge equal to `hyperedge` in the vertex order, or null.
  Hyperedge* find(const Hyperedge& hyperedge);
  // Inserts a copy of the vertices of an unknown hyperedge with `weight`.
  void insert(const Hyperedge& hyperedge, double weight);
  void reweigh(Hyperedge& stored, double weight);
  bool canUsePrefixIndex(const Hyperedge& pattern,
                         std::uint32_t prefixLength) const;

  // Set elements never move, so the index can point at them.
  std::set<Hyperedge> hyperedges;
  std::unique_ptr<PrefixVoteIndex> voteIndex;

  // Bookkeeping that decides whether the prefix index is exact: it is not
  // when a stored vertex is itself a wildcard, or when vertex counts differ
  // (then prefix-equal keys of different lengths interleave).
  std::size_t entriesWithWildcard = 0;
  std::uint32_t storedVertexCount = 0;
  bool mixedVertexCounts = false;
};

}  // namespace hn

#pragma once

#include <cstdint>
#include <vector>

#include "common/configurable.h"
#include "learner/data/hyperedge.h"

namespace hn {

class PrefixVoteIndex;

// The population of weighted hyperedges: one entry per distinct hyperedge
// in the vertex order. Parameter "order": the vertices per hyperedge.
class Storage : public Configurable {
 public:
  Storage();
  virtual ~Storage() = default;

  // Reads "order".
  virtual void initialize();

  // Counts one occurrence: a new hyperedge enters with weight 1, a stored one
  // gains 1. The weight carried by `hyperedge` is ignored. Returns 0.
  virtual int add(const Hyperedge& hyperedge) = 0;

  // Not const: an unknown hyperedge is inserted with weight 0.
  virtual double getWeight(const Hyperedge& hyperedge) = 0;

  // Inserts an unknown hyperedge before setting its weight.
  virtual void setWeight(const Hyperedge& hyperedge, double weight) = 0;

  // Copies of every stored hyperedge that `matches` the pattern, in the
  // ranking order.
  virtual std::vector<Hyperedge> findMatching(const Hyperedge& pattern) const;

  // Copies of every stored hyperedge, in vertex order or, when `sorted`, in
  // the ranking order.
  virtual std::vector<Hyperedge> getAll(bool sorted) const;

  // The hyperedges of `findMatching`, in the same order, borrowed from the
  // store instead of copied: valid until the store next changes.
  virtual std::vector<const Hyperedge*> viewMatching(
      const Hyperedge& pattern) const = 0;

  // The hyperedges of `getAll`, borrowed; valid until the store next changes.
  virtual std::vector<const Hyperedge*> viewAll(bool sorted) const = 0;

  // Number of stored hyperedges.
  virtual std::size_t size() const = 0;

  // The votes per distinct prefix of the stored hyperedges of `length`
  // vertices, kept up to date by the store from now on; valid until the
  // next `initialize` or a call with other lengths. Null when this store
  // keeps no such index: callers then scan with `viewMatching`.
  virtual PrefixVoteIndex* prefixVotes(std::uint32_t prefixLength,
                                       std::uint32_t length);

  std::int32_t order = 0;
};

// Sorts hyperedges that are in vertex order into the ranking order. Equal
// weights are already in vertex order, so a stable sort by weight alone is
// enough, and it never has to look at the vertices.
void rankVertexOrdered(std::vector<const Hyperedge*>& hyperedges);

}  // namespace hn

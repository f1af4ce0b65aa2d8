#pragma once

#include <cstdint>
#include <vector>

#include "common/configurable.h"
#include "learner/data/hyperedge.h"

namespace hn {

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
  virtual std::vector<Hyperedge> findMatching(
      const Hyperedge& pattern) const = 0;

  // Copies of every stored hyperedge, in vertex order or, when `sorted`, in
  // the ranking order.
  virtual std::vector<Hyperedge> getAll(bool sorted) const = 0;

  std::int32_t order = 0;
};

}  // namespace hn

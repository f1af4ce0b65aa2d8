#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace hn {

class Hyperedge;

// A stored hyperedge's number: dense, from 0 in order of insertion, so that
// tables over the population can be plain arrays.
using HyperedgeId = std::uint32_t;

// A stored hyperedge, borrowed from its store: valid until the store next
// changes.
struct HyperedgeView {
  std::span<const std::int32_t> vertices;
  double weight;
};

// Told of every change of a store's population, on the thread that makes
// it: what an index over the population needs to stay up to date.
class StoreObserver {
 public:
  // A hyperedge entered, with id `id`: an `add`, or a `getWeight` or
  // `setWeight` of an unknown hyperedge (which a read enters with weight 0).
  virtual void inserted(HyperedgeId id) = 0;
  // The weight of `id` changed; it was `previous`.
  virtual void reweighted(HyperedgeId id, double previous) = 0;
  // `initialize` emptied the store; ids start from 0 again.
  virtual void emptied() = 0;
  // The whole population was replaced at once (`Population::load`), told
  // once instead of hyperedge by hyperedge.
  virtual void loaded() = 0;

 protected:
  ~StoreObserver() = default;
};

// What the acceleration needs of a store beyond the six defined operations:
// the population read by id, matching without copies, a wholesale load, and
// observers told of every change. Views and ids, not objects, so that a
// store may keep its hyperedges in any form.
class Population {
 public:
  // Ids run from 0 to size() - 1.
  virtual std::size_t size() const = 0;
  virtual std::span<const std::int32_t> vertices(HyperedgeId id) const = 0;
  virtual double weight(HyperedgeId id) const = 0;

  // Calls `visit` with every stored hyperedge and its id, in vertex order.
  using Visit = std::function<void(HyperedgeId id, HyperedgeView hyperedge)>;
  virtual void forEachInVertexOrder(const Visit& visit) const = 0;

  // What `findMatching` copies, borrowed: the stored hyperedges that match
  // `pattern`, in the ranking order.
  virtual std::vector<HyperedgeView> viewMatching(
      const Hyperedge& pattern) const = 0;

  // Empties the store and fills it with `count` hyperedges of `length`
  // vertices: `next` writes each one's vertices and returns its weight.
  // Fastest in strict vertex order (a saved model); a hyperedge given twice
  // keeps its last weight. The parameter "order" becomes `length`, as
  // `initialize` reads it. Observers hear `loaded`, and nothing else.
  using NextHyperedge = std::function<double(std::span<std::int32_t>)>;
  virtual void load(std::uint32_t length, std::size_t count,
                    const NextHyperedge& next) = 0;

  // Observers are borrowed: each must unregister before it is destroyed.
  virtual void addObserver(StoreObserver& observer) = 0;
  virtual void removeObserver(StoreObserver& observer) = 0;

 protected:
  ~Population() = default;
};

}  // namespace hn

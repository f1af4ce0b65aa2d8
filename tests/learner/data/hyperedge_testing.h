#pragma once

#include <bit>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "learner/data/hyperedge.h"
#include "learner/data/population.h"

namespace hn::testing {

inline Hyperedge edge(std::initializer_list<std::int32_t> values,
                      double weight = 0) {
  Hyperedge hyperedge(static_cast<std::uint32_t>(values.size()),
                      values.begin());
  hyperedge.weight = weight;
  return hyperedge;
}

// A hyperedge as plain values, so lists compare and print in assertions.
struct Entry {
  std::vector<std::int32_t> vertices;
  double weight;
  bool operator==(const Entry&) const = default;
};

inline Entry entry(const Hyperedge& h) {
  return {{h.vertices, h.vertices + h.vertexCount}, h.weight};
}

inline std::vector<Entry> entries(const std::vector<Hyperedge>& list) {
  std::vector<Entry> result;
  for (const Hyperedge& h : list) result.push_back(entry(h));
  return result;
}

inline std::vector<Entry> entries(const std::vector<HyperedgeView>& list) {
  std::vector<Entry> result;
  for (const HyperedgeView& h : list) {
    result.push_back({{h.vertices.begin(), h.vertices.end()}, h.weight});
  }
  return result;
}

// Generated fragments as they are printed, "{(v1,v2,...):weight}" with six
// significant digits each, in their order: what text generation promises
// to give exactly as the definitions do, whatever order the engine summed
// the weights in.
inline std::vector<std::string> printed(const std::vector<Hyperedge>& list) {
  std::vector<std::string> result;
  for (const Hyperedge& h : list) {
    std::string text;
    appendText(text, h);
    result.push_back(text);
  }
  return result;
}

// Each hyperedge's vertices and the bits of its weight, so that weights
// compare exactly, -0 and NaN included.
inline std::vector<std::pair<std::vector<std::int32_t>, std::uint64_t>> bitsOf(
    const std::vector<Hyperedge>& hyperedges) {
  std::vector<std::pair<std::vector<std::int32_t>, std::uint64_t>> bits;
  for (const Hyperedge& h : hyperedges) {
    bits.emplace_back(
        std::vector<std::int32_t>(h.vertices, h.vertices + h.vertexCount),
        std::bit_cast<std::uint64_t>(h.weight));
  }
  return bits;
}

// Writes down every change a store tells it of, as text.
class StoreRecorder : public StoreObserver {
 public:
  explicit StoreRecorder(Population& store) : store(store) {
    store.addObserver(*this);
  }
  ~StoreRecorder() { store.removeObserver(*this); }
  StoreRecorder(const StoreRecorder&) = delete;
  StoreRecorder& operator=(const StoreRecorder&) = delete;

  void inserted(HyperedgeId id) override {
    told.push_back("inserted " + std::to_string(id) + " weighing " +
                   std::to_string(store.weight(id)));
  }
  void reweighted(HyperedgeId id, double previous) override {
    told.push_back("reweighted " + std::to_string(id) + " from " +
                   std::to_string(previous) + " to " +
                   std::to_string(store.weight(id)));
  }
  void emptied() override { told.push_back("emptied"); }
  void loaded() override {
    told.push_back("loaded " + std::to_string(store.size()));
  }

  std::vector<std::string> told;

 private:
  Population& store;
};

}  // namespace hn::testing

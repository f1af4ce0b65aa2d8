#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
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

}  // namespace hn::testing

#include "learner/data/hyperedge_views.h"

#include <algorithm>

namespace hn {

std::uint32_t concretePrefixLength(const Hyperedge& pattern) {
  return static_cast<std::uint32_t>(
      std::find(pattern.vertices, pattern.vertices + pattern.vertexCount,
                kWildcard) -
      pattern.vertices);
}

void rankVertexOrdered(std::vector<HyperedgeView>& views) {
  const auto heavier = [](const HyperedgeView& x, const HyperedgeView& y) {
    return weighsMore(x.weight, y.weight);
  };
  if (std::is_sorted(views.begin(), views.end(), heavier)) return;
  std::stable_sort(views.begin(), views.end(), heavier);
}

std::vector<Hyperedge> copiesOf(const std::vector<HyperedgeView>& views) {
  std::vector<Hyperedge> copies;
  copies.reserve(views.size());
  for (const HyperedgeView& view : views) {
    Hyperedge& copy = copies.emplace_back(
        static_cast<std::uint32_t>(view.vertices.size()), view.vertices.data());
    copy.weight = view.weight;
  }
  return copies;
}

}  // namespace hn

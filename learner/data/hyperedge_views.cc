#include "learner/data/hyperedge_views.h"

#include <algorithm>

namespace hn {

std::uint32_t concretePrefixLength(const Hyperedge& pattern) {
  return static_cast<std::uint32_t>(
      std::find(pattern.vertices, pattern.vertices + pattern.vertexCount,
                kWildcard) -
      pattern.vertices);
}

bool matchesPattern(std::span<const std::int32_t> stored,
                    const Hyperedge& pattern) {
  if (stored.size() != pattern.vertexCount) return false;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    const std::int32_t mine = stored[i];
    const std::int32_t theirs = pattern.vertices[i];
    if (mine != theirs && mine != kWildcard && theirs != kWildcard) {
      return false;
    }
  }
  return true;
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

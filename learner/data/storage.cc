#include "learner/data/storage.h"

#include <algorithm>

namespace hn {
namespace {

std::vector<Hyperedge> copyAll(const std::vector<const Hyperedge*>& views) {
  std::vector<Hyperedge> copies;
  copies.reserve(views.size());
  for (const Hyperedge* view : views) copies.push_back(*view);
  return copies;
}

}  // namespace

Storage::Storage() { set("order", "0"); }

void Storage::initialize() { order = getInt("order"); }

PrefixVoteIndex* Storage::prefixVotes(std::uint32_t /*prefixLength*/,
                                      std::uint32_t /*length*/) {
  return nullptr;
}

std::vector<Hyperedge> Storage::findMatching(const Hyperedge& pattern) const {
  return copyAll(viewMatching(pattern));
}

std::vector<Hyperedge> Storage::getAll(bool sorted) const {
  return copyAll(viewAll(sorted));
}

void rankVertexOrdered(std::vector<const Hyperedge*>& hyperedges) {
  struct Ranked {
    double weight;
    const Hyperedge* hyperedge;
  };
  // The weights sit beside the pointers so comparing needs no indirection.
  std::vector<Ranked> ranked;
  ranked.reserve(hyperedges.size());
  for (const Hyperedge* hyperedge : hyperedges) {
    ranked.push_back({hyperedge->weight, hyperedge});
  }
  const auto heavier = [](const Ranked& x, const Ranked& y) {
    return weighsMore(x.weight, y.weight);
  };
  if (std::is_sorted(ranked.begin(), ranked.end(), heavier)) return;
  std::stable_sort(ranked.begin(), ranked.end(), heavier);
  for (std::size_t i = 0; i < ranked.size(); ++i) {
    hyperedges[i] = ranked[i].hyperedge;
  }
}

}  // namespace hn

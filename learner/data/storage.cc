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

std::vector<Hyperedge> Storage::findMatching(const Hyperedge& pattern) const {
  return copyAll(viewMatching(pattern));
}

std::vector<Hyperedge> Storage::getAll(bool sorted) const {
  return copyAll(viewAll(sorted));
}

void sortByRank(std::vector<const Hyperedge*>& hyperedges) {
  std::sort(hyperedges.begin(), hyperedges.end(),
            [](const Hyperedge* x, const Hyperedge* y) {
              return ranksBefore(*x, *y);
            });
}

}  // namespace hn

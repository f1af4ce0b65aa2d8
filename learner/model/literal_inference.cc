#include "learner/model/literal_inference.h"

#include <algorithm>
#include <cstddef>

#include "learner/data/storage.h"
#include "learner/model/candidate_list.h"

namespace hn {
namespace {

// Every stored hyperedge that matches, by rank: the store is read in vertex
// order, so a stable sort by weight gives the ranking order.
std::vector<const Hyperedge*> scanMatching(const Storage& storage,
                                           const Hyperedge& pattern) {
  std::vector<const Hyperedge*> matching;
  for (const Hyperedge* stored : storage.viewAll(false)) {
    if (stored->matches(pattern)) matching.push_back(stored);
  }
  std::stable_sort(matching.begin(), matching.end(),
                   [](const Hyperedge* x, const Hyperedge* y) {
                     return weighsMore(x->weight, y->weight);
                   });
  return matching;
}

void vote(std::vector<Candidate>& candidates, std::int32_t value,
          double weight) {
  for (Candidate& candidate : candidates) {
    if (candidate.value == value) {
      candidate.score += weight;
      return;
    }
  }
  candidates.push_back({value, weight});
}

}  // namespace

void literalInferImageValues(const Storage& storage, std::uint32_t order,
                             std::uint32_t order2,
                             const std::vector<std::int32_t>& sentence,
                             std::vector<std::int32_t>& values) {
  Hyperedge query(order + order2);
  std::fill_n(query.vertices + order, order2, kWildcard);
  std::vector<Candidate> candidates;
  for (std::size_t start = 0; start + order <= sentence.size(); ++start) {
    std::copy_n(sentence.begin() + static_cast<std::ptrdiff_t>(start), order,
                query.vertices);
    for (const Hyperedge* match : scanMatching(storage, query)) {
      for (std::uint32_t slot = order; slot < order + order2; ++slot) {
        vote(candidates, match->vertices[slot], match->weight);
      }
    }
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& x, const Candidate& y) {
                     return weighsMore(x.score, y.score);
                   });
  // A candidate survives when no candidate before it holds its position.
  std::vector<bool> taken(2 * kPositionRadix, false);
  values.clear();
  for (const Candidate& candidate : candidates) {
    const auto position = static_cast<std::size_t>(
        imageVertexPosition(candidate.value) + kPositionRadix);
    if (taken[position]) continue;
    taken[position] = true;
    values.push_back(candidate.value);
  }
}

void literalGenerateText(const Storage& storage, std::uint32_t order,
                         std::uint32_t order2, const ImageBuffer& image,
                         std::vector<Hyperedge>& fragments) {
  for (const Hyperedge* stored : storage.viewAll(false)) {
    // Only hyperedges of the run's layout can be read slot by slot.
    if (stored->vertexCount != order + order2) continue;
    bool agrees = true;
    for (std::uint32_t slot = order; agrees && slot < order + order2; ++slot) {
      const std::int32_t position = imageVertexPosition(stored->vertices[slot]);
      agrees = isImagePosition(position) &&
               image[static_cast<std::size_t>(position)] ==
                   imageVertexValue(stored->vertices[slot]);
    }
    if (!agrees) continue;
    Hyperedge part(order, stored->vertices);
    const auto merged =
        std::find_if(fragments.begin(), fragments.end(),
                     [&part](const Hyperedge& f) { return f.matches(part); });
    if (merged != fragments.end()) {
      merged->weight += stored->weight;
    } else {
      part.weight = stored->weight;
      fragments.push_back(std::move(part));
    }
  }
  std::sort(fragments.begin(), fragments.end(), ranksBefore);
}

}  // namespace hn

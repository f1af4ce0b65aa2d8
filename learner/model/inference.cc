#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "learner/data/hyperedge.h"
#include "learner/data/storage.h"
#include "learner/model/hypernetwork.h"

namespace hn {
namespace {

bool isImagePosition(std::int32_t position) {
  return position >= 0 && static_cast<std::size_t>(position) < kImageSize;
}

// True when every image vertex names a position of the image that holds
// exactly its value. A vertex outside the image cannot agree with it.
bool agreesWithImage(const Hyperedge& hyperedge, std::uint32_t firstImageSlot,
                     const ImageBuffer& image) {
  for (std::uint32_t slot = firstImageSlot; slot < hyperedge.vertexCount;
       ++slot) {
    const std::int32_t vertex = hyperedge.vertices[slot];
    const std::int32_t position = imageVertexPosition(vertex);
    if (!isImagePosition(position) ||
        image[static_cast<std::size_t>(position)] != imageVertexValue(vertex)) {
      return false;
    }
  }
  return true;
}

// Adds sentence parts into a fragment list: into the first entry that
// `matches` the part, or as a new entry at the end. Without wildcards,
// matching means equal vertices, which a hash lookup finds at once; with
// any wildcard in play it falls back to the front-to-back search.
class FragmentMerger {
 public:
  explicit FragmentMerger(std::vector<Hyperedge>& fragments)
      : fragments(fragments) {
    for (std::size_t i = 0; i < fragments.size(); ++i) remember(i);
  }

  void merge(const std::int32_t* vertices, std::uint32_t count,
             double weight) {
    const Hyperedge part(count, vertices);
    const std::size_t found =
        searchLinearly || part.holdsWildcard() ? linearSearch(part)
                                              : hashedSearch(part);
    if (found < fragments.size()) {
      fragments[found].weight += weight;
      return;
    }
    fragments.push_back(part);
    fragments.back().weight = weight;
    remember(fragments.size() - 1);
  }

 private:
  static std::string keyOf(const Hyperedge& hyperedge) {
    return {reinterpret_cast<const char*>(hyperedge.vertices),
            hyperedge.vertexCount * sizeof(std::int32_t)};
  }

  void remember(std::size_t index) {
    const Hyperedge& fragment = fragments[index];
    if (fragment.holdsWildcard()) searchLinearly = true;
    indexOf.try_emplace(keyOf(fragment), index);
  }

  std::size_t linearSearch(const Hyperedge& part) const {
    for (std::size_t i = 0; i < fragments.size(); ++i) {
      if (fragments[i].matches(part)) return i;
    }
    return fragments.size();
  }

  std::size_t hashedSearch(const Hyperedge& part) const {
    const auto entry = indexOf.find(keyOf(part));
    if (entry == indexOf.end()) return fragments.size();
    return entry->second;
  }

  std::vector<Hyperedge>& fragments;
  std::unordered_map<std::string, std::size_t> indexOf;
  bool searchLinearly = false;
};

}  // namespace

std::int32_t Hypernetwork::predictElement(
    const std::vector<std::int32_t>& sequence, std::uint32_t position,
    CandidateList& candidates) const {
  candidates.clear();
  const auto n = static_cast<std::uint32_t>(order);
  const std::size_t length = sequence.size();
  Hyperedge query(n);
  for (std::uint32_t offset = 0; offset < n; ++offset) {
    const std::size_t end = std::size_t{position} + offset;  // last index
    if (end + 1 < n || end >= length) continue;
    const std::size_t start = end + 1 - n;
    std::copy_n(sequence.begin() + static_cast<std::ptrdiff_t>(start), n,
                query.vertices);
    const std::uint32_t targetSlot = n - 1 - offset;
    query.vertices[targetSlot] = kWildcard;
    for (const Hyperedge* match : storage->viewMatching(query)) {
      candidates.vote(match->vertices[targetSlot], match->weight);
    }
  }
  candidates.rank();
  return candidates.empty() ? kNoPrediction : candidates.ranked().front().value;
}

std::int32_t Hypernetwork::predictElement(
    const std::vector<std::int32_t>& sequence, std::uint32_t position) const {
  CandidateList candidates;
  return predictElement(sequence, position, candidates);
}

std::int32_t Hypernetwork::predictLabel(
    const std::vector<std::int32_t>& features) const {
  const auto n = static_cast<std::uint32_t>(order);
  Hyperedge query(n + 1);
  CandidateList candidates;
  for (std::size_t start = 0; start + n <= features.size(); ++start) {
    std::copy_n(features.begin() + static_cast<std::ptrdiff_t>(start), n,
                query.vertices);
    query.vertices[n] = kWildcard;
    for (const Hyperedge* match : storage->viewMatching(query)) {
      candidates.vote(match->vertices[n], match->weight);
    }
  }
  candidates.rank();
  return candidates.empty() ? kNoPrediction : candidates.ranked().front().value;
}

void Hypernetwork::inferImageValues(const std::vector<std::int32_t>& sentence,
                                    std::vector<std::int32_t>& values) const {
  const auto n = static_cast<std::uint32_t>(order);
  const auto m = static_cast<std::uint32_t>(order2);
  Hyperedge query(n + m);
  std::fill_n(query.vertices + n, m, kWildcard);
  CandidateList candidates;
  for (std::size_t start = 0; start + n <= sentence.size(); ++start) {
    std::copy_n(sentence.begin() + static_cast<std::ptrdiff_t>(start), n,
                query.vertices);
    for (const Hyperedge* match : storage->viewMatching(query)) {
      for (std::uint32_t slot = n; slot < n + m; ++slot) {
        candidates.vote(match->vertices[slot], match->weight);
      }
    }
  }
  candidates.rank();
  candidates.keepBestPerImagePosition();
  values.clear();
  for (const Candidate& candidate : candidates.ranked()) {
    values.push_back(candidate.value);
  }
}

void Hypernetwork::generateImage(const std::vector<std::int32_t>& sentence,
                                 ImageBuffer& image) const {
  std::vector<std::int32_t> values;
  inferImageValues(sentence, values);
  for (const std::int32_t vertex : values) {
    // A vertex outside the image has nowhere to go and is skipped.
    const std::int32_t position = imageVertexPosition(vertex);
    if (isImagePosition(position)) {
      image[static_cast<std::size_t>(position)] = imageVertexValue(vertex);
    }
  }
}

void Hypernetwork::generateText(const ImageBuffer& image,
                                std::vector<Hyperedge>& fragments) const {
  const auto n = static_cast<std::uint32_t>(order);
  const std::uint32_t length = n + static_cast<std::uint32_t>(order2);
  FragmentMerger merger(fragments);
  for (const Hyperedge* stored : storage->viewAll(false)) {
    // Only hyperedges of this run's layout can be read slot by slot.
    if (stored->vertexCount != length) continue;
    if (!agreesWithImage(*stored, n, image)) continue;
    merger.merge(stored->vertices, n, stored->weight);
  }
  std::sort(fragments.begin(), fragments.end(), ranksBefore);
}

}  // namespace hn

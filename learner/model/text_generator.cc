#include "learner/model/text_generator.h"

#include <algorithm>
#include <cstddef>
#include <unordered_map>

#include "learner/data/storage.h"

namespace hn {
namespace {

// FNV-1a over the vertex values.
std::size_t hashVertices(const std::int32_t* vertices, std::uint32_t count) {
  std::size_t hash = 14695981039346656037ull;
  for (std::uint32_t i = 0; i < count; ++i) {
    hash = (hash ^ static_cast<std::uint32_t>(vertices[i])) * 1099511628211ull;
  }
  return hash;
}

// Adds sentence parts into a fragment list. Without wildcards, matching
// means equal vertices, which a hash lookup finds at once; once a wildcard
// is in play it falls back to the front-to-back search that defines the
// result.
class FragmentMerger {
 public:
  FragmentMerger(std::vector<Hyperedge>& fragments, std::uint32_t partLength)
      : fragments(fragments), partLength(partLength) {
    for (std::size_t i = 0; i < fragments.size(); ++i) remember(i);
  }

  void merge(const std::int32_t* part, double weight) {
    const std::size_t found = searchLinearly || holdsWildcard({part, partLength})
                                  ? linearSearch(part)
                                  : hashedSearch(part);
    if (found < fragments.size()) {
      fragments[found].weight += weight;
      return;
    }
    fragments.emplace_back(partLength, part);
    fragments.back().weight = weight;
    remember(fragments.size() - 1);
  }

 private:
  void remember(std::size_t index) {
    const Hyperedge& fragment = fragments[index];
    // Entries of another length, or with wildcards, can match parts that
    // are not equal to them: only the linear search sees that.
    if (fragment.vertexCount != partLength ||
        fragment.holdsWildcard()) {
      searchLinearly = true;
      return;
    }
    indexByHash.emplace(hashVertices(fragment.vertices, partLength), index);
  }

  std::size_t linearSearch(const std::int32_t* part) const {
    const Hyperedge pattern(partLength, part);
    for (std::size_t i = 0; i < fragments.size(); ++i) {
      if (fragments[i].matches(pattern)) return i;
    }
    return fragments.size();
  }

  std::size_t hashedSearch(const std::int32_t* part) const {
    const auto [first, last] =
        indexByHash.equal_range(hashVertices(part, partLength));
    for (auto entry = first; entry != last; ++entry) {
      const Hyperedge& fragment = fragments[entry->second];
      if (std::equal(part, part + partLength, fragment.vertices)) {
        return entry->second;
      }
    }
    return fragments.size();
  }

  std::vector<Hyperedge>& fragments;
  const std::uint32_t partLength;
  std::unordered_multimap<std::size_t, std::size_t> indexByHash;
  bool searchLinearly = false;
};

}  // namespace

TextGenerator::TextGenerator(const Storage& storage,
                             std::uint32_t sentenceSlots,
                             std::uint32_t imageSlots)
    : sentenceSlots(sentenceSlots), length(sentenceSlots + imageSlots) {
  for (const Hyperedge* stored : storage.viewAll(false)) {
    // Only hyperedges of the run's layout can be read slot by slot.
    if (stored->vertexCount != length) continue;
    vertices.insert(vertices.end(), stored->vertices,
                    stored->vertices + length);
    weights.push_back(stored->weight);
  }
}

void TextGenerator::generate(const ImageBuffer& image,
                             std::vector<Hyperedge>& fragments) const {
  FragmentMerger merger(fragments, sentenceSlots);
  for (std::size_t i = 0; i < weights.size(); ++i) {
    const std::int32_t* hyperedge = vertices.data() + i * length;
    if (agreesWithImage(hyperedge, image)) merger.merge(hyperedge, weights[i]);
  }
  std::sort(fragments.begin(), fragments.end(), ranksBefore);
}

// Every image vertex names a position of the image that holds exactly its
// value. A vertex outside the image cannot agree with it.
bool TextGenerator::agreesWithImage(const std::int32_t* hyperedge,
                                    const ImageBuffer& image) const {
  for (std::uint32_t slot = sentenceSlots; slot < length; ++slot) {
    const std::int32_t position = imageVertexPosition(hyperedge[slot]);
    if (!isImagePosition(position) ||
        image[static_cast<std::size_t>(position)] !=
            imageVertexValue(hyperedge[slot])) {
      return false;
    }
  }
  return true;
}

}  // namespace hn

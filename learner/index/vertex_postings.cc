#include "learner/index/vertex_postings.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <unordered_map>

namespace hn {
namespace {

constexpr std::uint32_t kNoSlot = std::numeric_limits<std::uint32_t>::max();

// A filed vertex as a number that sorts by position, then value. Values of
// vertices that pack into 32 bits lie within 2^18 of 0; they are negative
// only at position 0 (a multiple of -kPositionRadix), where a position
// without a value, -1, can agree with them.
constexpr int kValueBits = 19;
constexpr std::int64_t kValueOffset = std::int64_t{1} << 18;

std::uint64_t keyCode(std::int32_t vertex) {
  return (std::uint64_t(imageVertexPosition(vertex)) << kValueBits) |
         std::uint64_t(imageVertexValue(vertex) + kValueOffset);
}

// A vertex of the image as the lists keep it: its position in the low 13
// bits, its value, offset to be positive, in the 19 above, so that a test
// needs no division.
constexpr int kPositionBits = 13;
static_assert(kImageSize <= (std::size_t{1} << kPositionBits));

std::uint32_t packed(std::int32_t vertex) {
  return static_cast<std::uint32_t>(imageVertexPosition(vertex)) |
         static_cast<std::uint32_t>(imageVertexValue(vertex) + kValueOffset)
             << kPositionBits;
}

bool holds(const ImageBuffer& image, std::uint32_t packedVertex) {
  return image[packedVertex & ((1u << kPositionBits) - 1)] ==
         static_cast<std::int32_t>(packedVertex >> kPositionBits) -
             kValueOffset;
}

std::int32_t valueOf(std::uint64_t keyCode) {
  return static_cast<std::int32_t>(
      std::int64_t(keyCode & ((std::uint64_t{1} << kValueBits) - 1)) -
      kValueOffset);
}

bool holdsOnlyImagePositions(std::span<const std::int32_t> imageVertices) {
  return std::all_of(imageVertices.begin(), imageVertices.end(),
                     [](std::int32_t vertex) {
                       return isImagePosition(imageVertexPosition(vertex));
                     });
}

}  // namespace

VertexPostings::VertexPostings(std::span<const std::int32_t> vertices,
                               std::size_t count, std::uint32_t sentenceSlots,
                               std::uint32_t length)
    : sentenceSlots(sentenceSlots),
      length(length),
      hyperedgeCount(count),
      otherCount(length - sentenceSlots - 1) {
  const auto imageVerticesOf = [&](std::size_t i) {
    return vertices.subspan(i * length + sentenceSlots, length - sentenceSlots);
  };
  // A hyperedge with a vertex outside the image agrees with no image and
  // is filed nowhere.
  std::unordered_map<std::int32_t, std::uint32_t> holders;
  for (std::size_t i = 0; i < count; ++i) {
    if (!holdsOnlyImagePositions(imageVerticesOf(i))) continue;
    for (const std::int32_t vertex : imageVerticesOf(i)) ++holders[vertex];
  }
  std::vector<std::uint32_t> keySlot(count, kNoSlot);
  for (std::size_t i = 0; i < count; ++i) {
    const std::span<const std::int32_t> image = imageVerticesOf(i);
    if (!holdsOnlyImagePositions(image)) continue;
    std::uint32_t rarest = 0;
    for (std::uint32_t slot = 1; slot < image.size(); ++slot) {
      if (holders[image[slot]] < holders[image[rarest]]) rarest = slot;
    }
    keySlot[i] = rarest;
  }
  file(vertices, count, keySlot);
}

// Lays the hyperedges out by the vertex they are filed under, each list in
// increasing number.
void VertexPostings::file(std::span<const std::int32_t> vertices,
                          std::size_t count,
                          const std::vector<std::uint32_t>& keySlot) {
  std::vector<std::uint64_t> order;
  for (std::size_t i = 0; i < count; ++i) {
    if (keySlot[i] == kNoSlot) continue;
    const std::int32_t key = vertices[i * length + sentenceSlots + keySlot[i]];
    order.push_back(keyCode(key) << 32 | i);
  }
  std::sort(order.begin(), order.end());

  positionStart.assign(kImageSize + 1, 0);
  ids.reserve(order.size());
  others.reserve(order.size() * otherCount);
  std::uint64_t previousKey = std::numeric_limits<std::uint64_t>::max();
  for (const std::uint64_t entry : order) {
    const std::uint64_t code = entry >> 32;
    const auto i = static_cast<std::uint32_t>(entry);
    if (code != previousKey) {
      ++positionStart[(code >> kValueBits) + 1];
      keys.push_back({valueOf(code), static_cast<std::uint32_t>(ids.size())});
      previousKey = code;
    }
    ids.push_back(i);
    const std::int32_t* image = vertices.data() + i * length + sentenceSlots;
    for (std::uint32_t slot = 0; slot <= otherCount; ++slot) {
      if (slot != keySlot[i]) others.push_back(packed(image[slot]));
    }
  }
  for (std::uint32_t p = 0; p < kImageSize; ++p) {
    if (positionStart[p + 1] > 0) positionsFiled.push_back(p);
    positionStart[p + 1] += positionStart[p];
  }
  // The end of the last list.
  keys.push_back({std::numeric_limits<std::int32_t>::max(),
                  static_cast<std::uint32_t>(ids.size())});
}

std::size_t VertexPostings::candidates(const ImageBuffer& image,
                                       Candidates& candidates) const {
  candidates.clear();
  std::size_t total = 0;
  for (const std::uint32_t p : positionsFiled) {
    const std::uint32_t begin = positionStart[p];
    const std::uint32_t end = positionStart[p + 1];
    const auto key = std::lower_bound(
        keys.begin() + begin, keys.begin() + end, image[p],
        [](const Key& k, std::int32_t value) { return k.value < value; });
    if (key == keys.begin() + end || key->value != image[p]) continue;
    candidates.emplace_back(key->firstEntry, std::next(key)->firstEntry);
    total += std::next(key)->firstEntry - key->firstEntry;
  }
  return total;
}

void VertexPostings::agreeing(const ImageBuffer& image,
                              const Candidates& candidates,
                              std::vector<std::uint32_t>& agreeingIds) const {
  const std::size_t first = agreeingIds.size();
  for (const auto& [begin, end] : candidates) {
    for (std::uint32_t entry = begin; entry < end; ++entry) {
      const std::uint32_t* other =
          others.data() + std::size_t{entry} * otherCount;
      bool agrees = true;
      for (std::uint32_t k = 0; k < otherCount && agrees; ++k) {
        agrees = holds(image, other[k]);
      }
      if (agrees) agreeingIds.push_back(ids[entry]);
    }
  }
  putInIncreasingOrder(agreeingIds, first);
}

// Few ids are sorted; many (most of a population that agrees with images
// alike) are ordered through a bit per hyperedge, read word by word.
void VertexPostings::putInIncreasingOrder(std::vector<std::uint32_t>& ids,
                                          std::size_t first) const {
  const std::size_t found = ids.size() - first;
  const std::size_t words = (hyperedgeCount + 63) / 64;
  if (found * static_cast<std::size_t>(std::bit_width(found)) < words) {
    std::sort(ids.begin() + static_cast<std::ptrdiff_t>(first), ids.end());
    return;
  }
  thread_local std::vector<std::uint64_t> bits;
  bits.assign(words, 0);
  for (std::size_t k = first; k < ids.size(); ++k) {
    bits[ids[k] / 64] |= std::uint64_t{1} << (ids[k] % 64);
  }
  ids.resize(first);
  for (std::size_t word = 0; word < words; ++word) {
    for (std::uint64_t rest = bits[word]; rest != 0; rest &= rest - 1) {
      ids.push_back(
          static_cast<std::uint32_t>(word * 64 + std::countr_zero(rest)));
    }
  }
}

}  // namespace hn

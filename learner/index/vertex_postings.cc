#include "learner/index/vertex_postings.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <mutex>
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
    : vertices(vertices),
      sentenceSlots(sentenceSlots),
      length(length),
      hyperedgeCount(count),
      otherCount(length - sentenceSlots - 1) {
  for (std::size_t i = 0; i < count; ++i) {
    if (!holdsOnlyImagePositions(imageVerticesOf(i))) continue;
    for (const std::int32_t vertex : imageVerticesOf(i)) ++holders[vertex];
  }
  std::unordered_map<std::int32_t, std::uint32_t> filedUnder;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t slot = keySlotOf(i);
    if (slot != kNoSlot) ++filedUnder[imageVerticesOf(i)[slot]];
  }
  layOutKeys(filedUnder);
}

std::span<const std::int32_t> VertexPostings::imageVerticesOf(
    std::size_t hyperedge) const {
  return vertices.subspan(hyperedge * length + sentenceSlots,
                          length - sentenceSlots);
}

// The slot of the vertex the hyperedge is filed under: the one fewest
// hyperedges hold, the first of equals. A hyperedge with a vertex outside
// the image agrees with no image and is filed nowhere.
std::uint32_t VertexPostings::keySlotOf(std::size_t hyperedge) const {
  const std::span<const std::int32_t> image = imageVerticesOf(hyperedge);
  if (!holdsOnlyImagePositions(image)) return kNoSlot;
  std::uint32_t rarest = 0;
  std::uint32_t fewest = holders.find(image[0])->second;
  for (std::uint32_t slot = 1; slot < image.size(); ++slot) {
    const std::uint32_t holding = holders.find(image[slot])->second;
    if (holding < fewest) {
      rarest = slot;
      fewest = holding;
    }
  }
  return rarest;
}

// The keys by position, then value, and where each one's list starts: all
// that `candidates` needs. The lists themselves are filled on first use.
void VertexPostings::layOutKeys(
    const std::unordered_map<std::int32_t, std::uint32_t>& filedUnder) {
  std::vector<std::pair<std::uint64_t, std::uint32_t>> codes;
  codes.reserve(filedUnder.size());
  for (const auto& [key, filed] : filedUnder) {
    codes.emplace_back(keyCode(key), filed);
  }
  std::sort(codes.begin(), codes.end());
  positionStart.assign(kImageSize + 1, 0);
  std::uint32_t entries = 0;
  for (const auto& [code, filed] : codes) {
    ++positionStart[(code >> kValueBits) + 1];
    keys.push_back({valueOf(code), entries});
    entries += filed;
  }
  for (std::uint32_t p = 0; p < kImageSize; ++p) {
    if (positionStart[p + 1] > 0) positionsFiled.push_back(p);
    positionStart[p + 1] += positionStart[p];
  }
  // The end of the last list.
  keys.push_back({std::numeric_limits<std::int32_t>::max(), entries});
}

// Each hyperedge goes to the next free entry of its key's list, in
// increasing number, with its other image vertices beside it. Built when
// an image first needs the lists: images near a common background may
// never do, and they take 12 bytes a hyperedge.
void VertexPostings::fillLists() const {
  const std::uint32_t entries = keys.back().firstEntry;
  ids.resize(entries);
  others.resize(std::size_t{entries} * otherCount);
  std::vector<std::uint32_t> next(keys.size() - 1);
  for (std::size_t k = 0; k + 1 < keys.size(); ++k) {
    next[k] = keys[k].firstEntry;
  }
  for (std::size_t i = 0; i < hyperedgeCount; ++i) {
    const std::uint32_t keySlot = keySlotOf(i);
    if (keySlot == kNoSlot) continue;
    const std::span<const std::int32_t> image = imageVerticesOf(i);
    const std::uint32_t entry = next[keyNumberOf(image[keySlot])]++;
    ids[entry] = static_cast<std::uint32_t>(i);
    std::uint32_t* other = others.data() + std::size_t{entry} * otherCount;
    for (std::uint32_t slot = 0; slot <= otherCount; ++slot) {
      if (slot != keySlot) *other++ = packed(image[slot]);
    }
  }
}

std::size_t VertexPostings::keyNumberOf(std::int32_t vertex) const {
  const auto position = static_cast<std::size_t>(imageVertexPosition(vertex));
  const std::int32_t value = imageVertexValue(vertex);
  const auto key = std::lower_bound(
      keys.begin() + positionStart[position],
      keys.begin() + positionStart[position + 1], value,
      [](const Key& k, std::int32_t wanted) { return k.value < wanted; });
  return static_cast<std::size_t>(key - keys.begin());
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
  std::call_once(listsFilled, [this] { fillLists(); });
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

#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <unordered_map>
#include <utility>
#include <vector>

#include "learner/data/image.h"

namespace hn {

// Which hyperedges agree with an image (every image vertex names a value
// the image holds), found without testing every hyperedge: each hyperedge
// is filed under one of its image vertices, the one fewest hyperedges
// hold, and an image looks up, position by position, the hyperedges filed
// under the value it holds there. Only those are tested, against their
// other image vertices, which the lists keep beside each hyperedge's
// number so that a test reads the lists alone.
//
// The work per image is proportional to the hyperedges filed under its
// vertices, not to the population: what images without a common
// background need, where most hyperedges agree with few images.
class VertexPostings {
 public:
  // Hyperedge i holds `length` vertices from vertices[i * length], the
  // first `sentenceSlots` of them words. The array is borrowed and must
  // outlive the postings, unchanged.
  VertexPostings(std::span<const std::int32_t> vertices, std::size_t count,
                 std::uint32_t sentenceSlots, std::uint32_t length);

  // The hyperedges filed under the image's vertices, as ranges of the
  // lists: what `agreeing` would test.
  using Candidates = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
  std::size_t candidates(const ImageBuffer& image,
                         Candidates& candidates) const;

  // The positions under whose values hyperedges are filed: what
  // `candidates` looks up.
  std::size_t filedPositions() const { return positionsFiled.size(); }

  // Appends to `agreeingIds` the numbers of the hyperedges among
  // `candidates` that agree with `image`, in increasing order.
  void agreeing(const ImageBuffer& image, const Candidates& candidates,
                std::vector<std::uint32_t>& agreeingIds) const;

 private:
  // A position's filed values, in increasing order: keys[positionStart[p]
  // up to positionStart[p + 1]]. Key k's hyperedges are entries
  // firstEntry[k] up to firstEntry[k + 1].
  struct Key {
    std::int32_t value;
    std::uint32_t firstEntry;
  };

  std::span<const std::int32_t> imageVerticesOf(std::size_t hyperedge) const;
  std::uint32_t keySlotOf(std::size_t hyperedge) const;
  void layOutKeys(
      const std::unordered_map<std::int32_t, std::uint32_t>& filedUnder);
  void fillLists() const;
  std::size_t keyNumberOf(std::int32_t vertex) const;

  void putInIncreasingOrder(std::vector<std::uint32_t>& ids,
                            std::size_t first) const;

  std::span<const std::int32_t> vertices;
  std::uint32_t sentenceSlots;
  std::uint32_t length;
  std::size_t hyperedgeCount;
  // How many hyperedges hold each image vertex.
  std::unordered_map<std::int32_t, std::uint32_t> holders;
  std::vector<std::uint32_t> positionStart;
  std::vector<std::uint32_t> positionsFiled;
  std::vector<Key> keys;
  // Per entry, the hyperedge's number and, at others[entry * otherCount],
  // its image vertices but the one it is filed under; filled on first use.
  std::uint32_t otherCount = 0;
  mutable std::once_flag listsFilled;
  mutable std::vector<std::uint32_t> ids;
  mutable std::vector<std::uint32_t> others;
};

}  // namespace hn

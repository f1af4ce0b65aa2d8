#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "learner/data/image.h"

namespace hn {

// Which hyperedges agree with each of up to 64 images at once: one pass
// over the population serves them all. Each image vertex that some
// hyperedge holds gets a number, and per batch each such vertex a bit per
// image that holds it; a hyperedge agrees with the images whose bits all
// its image vertices share. Testing a hyperedge thus costs a few loads and
// ands for the whole batch instead of a test per image: what images that
// neither share a background nor have rare values need.
class BatchMatcher {
 public:
  static constexpr std::size_t kMostImages = 64;

  // Hyperedge i holds `length` vertices from vertices[i * length], the
  // first `sentenceSlots` of them words.
  BatchMatcher(std::span<const std::int32_t> vertices, std::size_t count,
               std::uint32_t sentenceSlots, std::uint32_t length);

  // Per image (at most kMostImages), appends to agreeing[k] the numbers of
  // the hyperedges that agree with images[k], in increasing order.
  void agreeing(std::span<const ImageBuffer* const> images,
                std::vector<std::vector<std::uint32_t>>& agreeing) const;

 private:
  // The vertices' numbers: position p's values, in increasing order, are
  // values[valueStart[p] up to valueStart[p + 1]], numbered by their
  // place there.
  void numberVertices(std::span<const std::int32_t> vertices,
                      std::size_t count);
  std::uint32_t numberOf(std::int32_t vertex) const;
  void markImage(const ImageBuffer& image, std::uint64_t bit,
                 std::vector<std::uint64_t>& holders) const;

  std::uint32_t sentenceSlots;
  std::uint32_t imageSlots;
  std::vector<std::uint32_t> valueStart;
  std::vector<std::int32_t> values;
  // The positions some hyperedge holds.
  std::vector<std::uint32_t> positions;
  // Per hyperedge that can agree with an image: its number, and its image
  // vertices' numbers at codes[entry * imageSlots].
  std::vector<std::uint32_t> ids;
  std::vector<std::uint32_t> codes;
};

}  // namespace hn

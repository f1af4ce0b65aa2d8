#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace hn {

// Positions of one image; every image buffer holds this many values.
inline constexpr std::size_t kImageSize = 4800;

// One image, indexed by position; -1 marks a position without a value.
using ImageBuffer = std::array<std::int32_t, kImageSize>;

// Image vertices pack a position and the value found there into one int:
// value * kPositionRadix + position.
inline constexpr std::int32_t kPositionRadix = 10000;

// The largest value that still packs into a 32-bit vertex with its position.
inline constexpr std::int32_t kMaxImageValue = 214747;

constexpr std::int32_t encodeImageVertex(std::int32_t position,
                                         std::int32_t value) {
  return value * kPositionRadix + position;
}

// Truncating remainder: a vertex of a negative value has a negative position.
constexpr std::int32_t imageVertexPosition(std::int32_t vertex) {
  return vertex % kPositionRadix;
}

constexpr std::int32_t imageVertexValue(std::int32_t vertex) {
  return vertex / kPositionRadix;
}

// Whether a packed position names a place in an image buffer; vertices of
// negative values, or past the buffer, have nowhere to go.
constexpr bool isImagePosition(std::int32_t position) {
  return position >= 0 && static_cast<std::size_t>(position) < kImageSize;
}

// An image instance (an `InstanceView` or a vector of values) as a buffer:
// positions past a shorter image hold -1, as positions without a value do;
// an image longer than the buffer is cut at its end.
template <typename Values>
ImageBuffer imageBufferOf(const Values& values) {
  ImageBuffer image;
  image.fill(-1);
  std::copy_n(values.begin(), std::min<std::size_t>(values.size(), kImageSize),
              image.begin());
  return image;
}

}  // namespace hn

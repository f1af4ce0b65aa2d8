#include "learner/index/batch_matcher.h"

#include <algorithm>
#include <bit>
#include <cassert>

namespace hn {
namespace {

bool holdsOnlyImagePositions(std::span<const std::int32_t> imageVertices) {
  return std::all_of(imageVertices.begin(), imageVertices.end(),
                     [](std::int32_t vertex) {
                       return isImagePosition(imageVertexPosition(vertex));
                     });
}

// Orders image vertices by position, then value.
bool byPositionThenValue(std::int32_t x, std::int32_t y) {
  const std::int32_t xPosition = imageVertexPosition(x);
  const std::int32_t yPosition = imageVertexPosition(y);
  return xPosition != yPosition ? xPosition < yPosition
                                : imageVertexValue(x) < imageVertexValue(y);
}

}  // namespace

BatchMatcher::BatchMatcher(std::span<const std::int32_t> vertices,
                           std::size_t count, std::uint32_t sentenceSlots,
                           std::uint32_t length)
    : sentenceSlots(sentenceSlots), imageSlots(length - sentenceSlots) {
  numberVertices(vertices, count);
  // A hyperedge with a vertex outside the image agrees with no image.
  for (std::size_t i = 0; i < count; ++i) {
    const auto image = vertices.subspan(i * length + sentenceSlots, imageSlots);
    if (!holdsOnlyImagePositions(image)) continue;
    ids.push_back(static_cast<std::uint32_t>(i));
    for (const std::int32_t vertex : image) codes.push_back(numberOf(vertex));
  }
}

void BatchMatcher::numberVertices(std::span<const std::int32_t> vertices,
                                  std::size_t count) {
  const std::uint32_t length = sentenceSlots + imageSlots;
  std::vector<std::int32_t> held;
  for (std::size_t i = 0; i < count; ++i) {
    const auto image = vertices.subspan(i * length + sentenceSlots, imageSlots);
    if (holdsOnlyImagePositions(image)) {
      held.insert(held.end(), image.begin(), image.end());
    }
  }
  std::sort(held.begin(), held.end(), byPositionThenValue);
  held.erase(std::unique(held.begin(), held.end()), held.end());
  valueStart.assign(kImageSize + 1, 0);
  for (const std::int32_t vertex : held) {
    ++valueStart[static_cast<std::size_t>(imageVertexPosition(vertex)) + 1];
    values.push_back(imageVertexValue(vertex));
  }
  for (std::uint32_t p = 0; p < kImageSize; ++p) {
    if (valueStart[p + 1] > 0) positions.push_back(p);
    valueStart[p + 1] += valueStart[p];
  }
}

std::uint32_t BatchMatcher::numberOf(std::int32_t vertex) const {
  const auto p = static_cast<std::size_t>(imageVertexPosition(vertex));
  const auto first = values.begin() + valueStart[p];
  const auto found = std::lower_bound(first, values.begin() + valueStart[p + 1],
                                      imageVertexValue(vertex));
  assert(found != values.end() && *found == imageVertexValue(vertex));
  return static_cast<std::uint32_t>(found - values.begin());
}

// Sets `bit` for every numbered vertex the image holds.
void BatchMatcher::markImage(const ImageBuffer& image, std::uint64_t bit,
                             std::vector<std::uint64_t>& holders) const {
  for (const std::uint32_t p : positions) {
    const auto first = values.begin() + valueStart[p];
    const auto last = values.begin() + valueStart[p + 1];
    const auto found = std::lower_bound(first, last, image[p]);
    if (found != last && *found == image[p]) {
      holders[static_cast<std::size_t>(found - values.begin())] |= bit;
    }
  }
}

void BatchMatcher::agreeing(
    std::span<const ImageBuffer* const> images,
    std::vector<std::vector<std::uint32_t>>& agreeing) const {
  assert(images.size() <= kMostImages && agreeing.size() >= images.size());
  thread_local std::vector<std::uint64_t> holders;
  holders.assign(values.size(), 0);
  for (std::size_t k = 0; k < images.size(); ++k) {
    markImage(*images[k], std::uint64_t{1} << k, holders);
  }
  for (std::size_t entry = 0; entry < ids.size(); ++entry) {
    const std::uint32_t* code = codes.data() + entry * imageSlots;
    std::uint64_t agree = holders[code[0]];
    for (std::uint32_t slot = 1; slot < imageSlots && agree != 0; ++slot) {
      agree &= holders[code[slot]];
    }
    for (; agree != 0; agree &= agree - 1) {
      agreeing[static_cast<std::size_t>(std::countr_zero(agree))].push_back(
          ids[entry]);
    }
  }
}

}  // namespace hn

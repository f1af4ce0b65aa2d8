#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "learner/data/image.h"

namespace hn {

// Which sentence–image pairs the learner takes, wherever they come from (the
// CSV reader, or values handed over in memory), so that the same data give
// the same pairs. `Values` is anything with `size`, `empty`, `begin` and
// `end` over 32-bit values: a vector or an `InstanceView`.

// Whether a sentence holds the `order` words of one window. Unsigned on
// purpose: a negative order takes no sentence at all.
template <typename Values>
bool hasWindow(const Values& sentence, std::int32_t order) {
  return sentence.size() >= static_cast<std::uint32_t>(order);
}

// Why the learner cannot take this image, or empty when it can: no values
// while image vertices are sampled (`order2` >= 1), more values than an
// image buffer holds, or a value that does not pack into a vertex.
template <typename Values>
std::string imageFault(const Values& image, bool verticesSampled) {
  if (image.empty() && verticesSampled) {
    return "image line has no values to sample image vertices from";
  }
  if (image.size() > kImageSize) {
    return "image line has " + std::to_string(image.size()) +
           " values; at most " + std::to_string(kImageSize) + " fit an image";
  }
  const auto bad = std::find_if(
      image.begin(), image.end(),
      [](std::int32_t value) { return value < 0 || value > kMaxImageValue; });
  if (bad == image.end()) return {};
  return "image value " + std::to_string(*bad) + " at position " +
         std::to_string(bad - image.begin()) + " is outside 0.." +
         std::to_string(kMaxImageValue);
}

}  // namespace hn

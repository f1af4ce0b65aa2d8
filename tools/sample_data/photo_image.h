#pragma once

#include <cstdint>
#include <vector>

#include "tools/sample_data/sample_kind.h"
#include "tools/sample_data/scene.h"

namespace hn {

namespace sample {
// Photo values, before and after noise: dark backgrounds lie in 1..4 and
// 0..5, light ones in 8..11 and 7..12, so the tone word can be read from
// any pixel of the background; the shape colours lie above them all.
inline constexpr std::int32_t kDarkLevel = 1;
inline constexpr std::int32_t kLightLevel = 8;
// The levels the background climbs from one corner of the photo to the
// opposite one.
inline constexpr std::int32_t kBackgroundRise = 2;
inline constexpr std::int32_t kMaxNoise = 1;
// Red, green and blue: the top three of the 16 values.
inline constexpr std::int32_t kRedPhotoValue = 13;
inline constexpr std::int32_t kPhotoValueCount = 16;
}  // namespace sample

// Red 13, green 14, blue 15.
std::int32_t photoColourValue(Colour colour);

// The background alone: columns * rows values of the layout, row by row.
// The same background gives the same values on every platform.
std::vector<std::int32_t> paintBackground(const Background& background,
                                          const sample::ImageLayout& layout);

// A 32x32 photo: the scene's shape, placed as renderImage places it, over
// the scene's background.
std::vector<std::int32_t> renderPhoto(const Scene& scene);

}  // namespace hn

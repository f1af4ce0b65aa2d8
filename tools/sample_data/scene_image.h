#pragma once

#include <cstdint>
#include <vector>

#include "tools/sample_data/scene.h"

namespace hn {

// The learner's images: 80 columns by 60 rows, stored row by row, so the
// value of (row, column) sits at position row * kImageColumns + column.
inline constexpr std::int32_t kImageColumns = 80;
inline constexpr std::int32_t kImageRows = 60;
inline constexpr std::int32_t kImageSize = kImageColumns * kImageRows;

inline constexpr std::int32_t kBackgroundValue = 0;

// Shapes are drawn in a square box this many pixels across.
inline constexpr std::int32_t kBigShapeWidth = 16;
inline constexpr std::int32_t kSmallShapeWidth = 8;

// Red 1, green 2, blue 3.
std::int32_t colourValue(Colour colour);

// The scene's shape on the background, inside the ninth of the image that
// its vertical and horizontal words name (the image split in three both
// ways), centred there up to its jitter. Holds kImageSize values.
std::vector<std::int32_t> renderImage(const Scene& scene);

}  // namespace hn

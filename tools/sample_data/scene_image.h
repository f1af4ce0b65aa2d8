#pragma once

#include <cstdint>
#include <vector>

#include "tools/sample_data/sample_kind.h"
#include "tools/sample_data/scene.h"

namespace hn {

namespace sample {
inline constexpr std::int32_t kBackgroundValue = 0;
}  // namespace sample

// Red 1, green 2, blue 3.
std::int32_t colourValue(Colour colour);

// The scene's shape on the background, inside the ninth of the image that
// its vertical and horizontal words name (the image split in three both
// ways), centred there up to its jitter. Holds columns * rows values of the
// layout.
std::vector<std::int32_t> renderImage(
    const Scene& scene,
    const sample::ImageLayout& layout = sample::kSceneLayout);

// Sets the pixels of the scene's shape, placed as renderImage places it, to
// `value` in `image`, which holds columns * rows values of the layout.
void drawShape(const Scene& scene, const sample::ImageLayout& layout,
               std::int32_t value, std::vector<std::int32_t>& image);

}  // namespace hn

#include "tools/sample_data/photo_image.h"

#include <algorithm>
#include <cstdlib>
#include <random>

#include "tools/sample_data/scene_image.h"

namespace hn {
namespace {

using sample::ImageLayout;

constexpr std::int32_t kNoiseValues = 2 * sample::kMaxNoise + 1;
// The ranges the header promises; a level step adds at most 1.
static_assert(sample::kRedPhotoValue + 2 < sample::kPhotoValueCount);
static_assert(sample::kLightLevel + 1 + sample::kBackgroundRise +
                  sample::kMaxNoise <
              sample::kRedPhotoValue);
static_assert(sample::kDarkLevel + 1 + sample::kBackgroundRise +
                  sample::kMaxNoise <
              sample::kLightLevel - sample::kMaxNoise);
static_assert(sample::kDarkLevel - sample::kMaxNoise >= 0);

// How many levels above its start the background has climbed at (x, y):
// the slopes' projection of the pixel, spread evenly over 0..kBackgroundRise
// between the lowest and the highest corner.
std::int32_t rampStep(const Background& background, const ImageLayout& layout,
                      std::int32_t x, std::int32_t y) {
  const std::int32_t lastColumn = layout.columns - 1;
  const std::int32_t lastRow = layout.rows - 1;
  const std::int32_t lowest = std::min(0, background.columnSlope) * lastColumn +
                              std::min(0, background.rowSlope) * lastRow;
  const std::int32_t span = std::abs(background.columnSlope) * lastColumn +
                            std::abs(background.rowSlope) * lastRow;
  const std::int32_t along =
      background.columnSlope * x + background.rowSlope * y - lowest;
  return along * (sample::kBackgroundRise + 1) / (span + 1);
}

std::int32_t toneLevel(Tone tone) {
  return tone == Tone::kDark ? sample::kDarkLevel : sample::kLightLevel;
}

}  // namespace

std::int32_t photoColourValue(Colour colour) {
  return static_cast<std::int32_t>(colour) + sample::kRedPhotoValue;
}

std::vector<std::int32_t> paintBackground(const Background& background,
                                          const ImageLayout& layout) {
  // Ranges taken with `%` as in scene.cc, so a seed gives the same noise on
  // every platform.
  std::mt19937 noise(background.noiseSeed);
  const std::int32_t start = toneLevel(background.tone) + background.levelStep;
  std::vector<std::int32_t> image;
  image.reserve(static_cast<std::size_t>(layout.columns * layout.rows));
  for (std::int32_t y = 0; y < layout.rows; ++y) {
    for (std::int32_t x = 0; x < layout.columns; ++x) {
      const auto shake =
          static_cast<std::int32_t>(noise() % kNoiseValues) - sample::kMaxNoise;
      image.push_back(start + rampStep(background, layout, x, y) + shake);
    }
  }
  return image;
}

std::vector<std::int32_t> renderPhoto(const Scene& scene) {
  std::vector<std::int32_t> image =
      paintBackground(scene.background, sample::kPhotoLayout);
  drawShape(scene, sample::kPhotoLayout, photoColourValue(scene.colour), image);
  return image;
}

}  // namespace hn

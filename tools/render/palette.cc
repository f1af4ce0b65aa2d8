#include "tools/render/palette.h"

#include <algorithm>
#include <array>
#include <limits>

namespace hn {
namespace {

// Background white, then red, green and blue as in the sample captions, then
// colours that stay apart from those and from kNothing.
constexpr std::array<Rgb, Palette::kLargestPaletteValue + 1> kFixedColours = {{
    {255, 255, 255},
    {220, 40, 40},
    {40, 160, 60},
    {40, 80, 220},
    {240, 200, 40},
    {40, 200, 200},
    {240, 130, 30},
    {110, 60, 30},
}};

}  // namespace

Palette::Palette(bool greyScale, std::int32_t lowest, std::int32_t highest)
    : greyScale_(greyScale), lowest_(lowest), highest_(highest) {}

Palette Palette::forValues(std::span<const std::int32_t> values) {
  std::int32_t lowest = std::numeric_limits<std::int32_t>::max();
  std::int32_t highest = 0;
  for (const std::int32_t value : values) {
    if (value < 0) continue;
    lowest = std::min(lowest, value);
    highest = std::max(highest, value);
  }
  if (lowest > highest) lowest = 0;
  return Palette(highest > kLargestPaletteValue, lowest, highest);
}

Rgb Palette::colourOf(std::int32_t value) const {
  if (value < 0) return kNothing;
  // A value outside the range the palette was chosen for takes the nearest
  // colour of the range rather than reading past the table.
  if (!greyScale_) {
    return kFixedColours[static_cast<std::size_t>(
        std::min(value, kLargestPaletteValue))];
  }
  if (highest_ == lowest_) return {255, 255, 255};
  const double share = std::clamp(static_cast<double>(value - lowest_) /
                                      static_cast<double>(highest_ - lowest_),
                                  0.0, 1.0);
  const auto grey = static_cast<std::uint8_t>(255.0 * share + 0.5);
  return {grey, grey, grey};
}

}  // namespace hn

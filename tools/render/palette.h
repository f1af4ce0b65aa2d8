#pragma once

#include <cstdint>
#include <span>

namespace hn {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const Rgb&) const = default;
};

// Maps image values to colours. Small value ranges (0 to kLargestPaletteValue,
// as in the sample images: background, red, green, blue) get fixed colours
// that a person can name; larger ranges a grey scale from the smallest value
// (black) to the largest (white). -1, the learner's "nothing generated", and
// any other negative value get a colour that neither scheme uses.
class Palette {
 public:
  static constexpr std::int32_t kLargestPaletteValue = 7;
  static constexpr Rgb kNothing{255, 0, 255};

  // Chooses the scheme from every value that will be drawn.
  static Palette forValues(std::span<const std::int32_t> values);

  Rgb colourOf(std::int32_t value) const;
  bool isGreyScale() const { return greyScale_; }

 private:
  Palette(bool greyScale, std::int32_t lowest, std::int32_t highest);

  bool greyScale_;
  std::int32_t lowest_;
  std::int32_t highest_;
};

}  // namespace hn

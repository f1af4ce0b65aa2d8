#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "tools/render/palette.h"

namespace hn {

// An RGB picture in memory, row by row. Drawing clips at the edges, so a
// caller never writes outside the picture.
class Raster {
 public:
  Raster(int width, int height, Rgb background = {255, 255, 255});

  int width() const { return width_; }
  int height() const { return height_; }
  Rgb pixel(int x, int y) const;
  void setPixel(int x, int y, Rgb colour);
  void fillRectangle(int left, int top, int width, int height, Rgb colour);

  // Draws `values` as an image of `columns` by `rows` positions, each
  // `scale` pixels square, with its top left corner at (left, top).
  // Positions past the end of `values` are drawn as nothing generated.
  void drawImage(std::span<const std::int32_t> values, int columns, int rows,
                 const Palette& palette, int left, int top, int scale);

  // One line of text in the glyph font, each font pixel `scale` pixels
  // square; characters are one font pixel apart.
  void drawText(std::string_view text, int left, int top, int scale,
                Rgb colour);

  // Pixel rows of 3 bytes per pixel, the layout PNG files use.
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  int width_;
  int height_;
  std::vector<std::uint8_t> bytes_;
};

// The width in pixels of `text` drawn at `scale`.
int textWidth(std::string_view text, int scale);

}  // namespace hn

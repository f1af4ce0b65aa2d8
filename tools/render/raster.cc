#include "tools/render/raster.h"

#include <algorithm>
#include <cstddef>

#include "tools/render/glyphs.h"

namespace hn {

Raster::Raster(int width, int height, Rgb background)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      bytes_(static_cast<std::size_t>(width_) * height_ * 3) {
  fillRectangle(0, 0, width_, height_, background);
}

Rgb Raster::pixel(int x, int y) const {
  const std::size_t at = (static_cast<std::size_t>(y) * width_ + x) * 3;
  return {bytes_[at], bytes_[at + 1], bytes_[at + 2]};
}

void Raster::setPixel(int x, int y, Rgb colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  const std::size_t at = (static_cast<std::size_t>(y) * width_ + x) * 3;
  bytes_[at] = colour.red;
  bytes_[at + 1] = colour.green;
  bytes_[at + 2] = colour.blue;
}

void Raster::fillRectangle(int left, int top, int width, int height,
                           Rgb colour) {
  for (int y = std::max(top, 0); y < std::min(top + height, height_); ++y) {
    for (int x = std::max(left, 0); x < std::min(left + width, width_); ++x) {
      setPixel(x, y, colour);
    }
  }
}

void Raster::drawImage(std::span<const std::int32_t> values, int columns,
                       int rows, const Palette& palette, int left, int top,
                       int scale) {
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      const std::size_t position =
          static_cast<std::size_t>(row) * columns + column;
      const std::int32_t value =
          position < values.size() ? values[position] : -1;
      fillRectangle(left + column * scale, top + row * scale, scale, scale,
                    palette.colourOf(value));
    }
  }
}

void Raster::drawText(std::string_view text, int left, int top, int scale,
                      Rgb colour) {
  int x = left;
  for (const char character : text) {
    const GlyphRows& glyph = glyphFor(character);
    for (int row = 0; row < kGlyphHeight; ++row) {
      for (int column = 0; column < kGlyphWidth; ++column) {
        if (glyph[row][column] != '#') continue;
        fillRectangle(x + column * scale, top + row * scale, scale, scale,
                      colour);
      }
    }
    x += (kGlyphWidth + 1) * scale;
  }
}

int textWidth(std::string_view text, int scale) {
  if (text.empty()) return 0;
  return static_cast<int>(text.size()) * (kGlyphWidth + 1) * scale - scale;
}

}  // namespace hn

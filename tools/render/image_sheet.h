#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tools/render/image_record_reader.h"
#include "tools/render/palette.h"
#include "tools/render/raster.h"

namespace hn {

// How records are drawn: `columns` by `rows` image positions, each `scale`
// pixels square.
struct ImageGeometry {
  int columns = 80;
  int rows = 60;
  int scale = 1;
};

// The size of a picture in pixels, in 64 bits so that no size overflows
// before it is checked.
struct PictureSize {
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::int64_t pixels() const { return width * height; }
};

// The most pixels a picture may have: 300 MB of memory. The drawing below
// takes pictures of that size at most, whose sides fit an int.
inline constexpr std::int64_t kMaxPicturePixels = 100'000'000;

// The pictures that drawRecord and drawGrid make.
PictureSize recordPictureSize(const ImageGeometry& geometry);
PictureSize gridPictureSize(std::size_t count, const ImageGeometry& geometry,
                            int perRow);

// One palette for all records drawn together, so that equal values look
// alike in every picture; only the first columns * rows values of a record
// are drawn.
Palette paletteFor(std::span<const ImageRecord> records,
                   const ImageGeometry& geometry);

Raster drawRecord(const ImageRecord& record, const Palette& palette,
                  const ImageGeometry& geometry);

// Records in rows of `perRow`, each above its caption: "#K" and the text of
// `captions` at the record's index in `records`, if any, wrapped to the
// image's width.
Raster drawGrid(std::span<const ImageRecord> records,
                std::span<const std::string> captions, const Palette& palette,
                const ImageGeometry& geometry, int perRow);

// Splits `text` at blanks into lines at most `width` pixels wide at `scale`;
// a word wider than that is cut.
std::vector<std::string> wrapText(const std::string& text, int width,
                                  int scale);

}  // namespace hn

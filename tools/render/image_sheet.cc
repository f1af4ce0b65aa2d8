#include "tools/render/image_sheet.h"

#include <algorithm>
#include <sstream>

#include "tools/render/glyphs.h"

namespace hn {
namespace {

constexpr int kMargin = 6;
constexpr int kCaptionLines = 3;
constexpr Rgb kInk{30, 30, 30};
constexpr Rgb kPaper{235, 235, 235};

std::span<const std::int32_t> drawnValues(const ImageRecord& record,
                                          const ImageGeometry& geometry) {
  const std::size_t drawn =
      std::min(record.values.size(),
               static_cast<std::size_t>(geometry.columns) * geometry.rows);
  return std::span<const std::int32_t>(record.values).first(drawn);
}

// Captions of tiny images would be unreadable at scale 1 of a wide font.
int textScaleFor(int imageWidth) { return imageWidth >= 96 ? 2 : 1; }

std::string captionOf(const ImageRecord& record, std::size_t index,
                      std::span<const std::string> captions) {
  std::string caption(1, '#');
  caption.append(std::to_string(record.number));
  if (index < captions.size()) caption.append(1, ' ').append(captions[index]);
  return caption;
}

// Where a grid puts its records: `across` cells in a row, `down` rows.
struct GridLayout {
  int textScale = 1;
  int lineHeight = 0;
  int cellWidth = 0;
  int cellHeight = 0;
  std::int64_t across = 1;
  std::int64_t down = 1;
  PictureSize size;
};

GridLayout layGrid(std::size_t count, const ImageGeometry& geometry,
                   int perRow) {
  GridLayout grid;
  const int imageWidth = geometry.columns * geometry.scale;
  const int imageHeight = geometry.rows * geometry.scale;
  grid.textScale = textScaleFor(imageWidth);
  grid.lineHeight = (kGlyphHeight + 2) * grid.textScale;
  grid.cellWidth =
      std::max(imageWidth, textWidth("#000", grid.textScale)) + kMargin;
  grid.cellHeight = imageHeight + kCaptionLines * grid.lineHeight + kMargin;
  const auto records = static_cast<std::int64_t>(count);
  grid.across =
      std::max<std::int64_t>(1, std::min<std::int64_t>(perRow, records));
  grid.down =
      std::max<std::int64_t>(1, (records + grid.across - 1) / grid.across);
  grid.size = {grid.across * grid.cellWidth + kMargin,
               grid.down * grid.cellHeight + kMargin};
  return grid;
}

}  // namespace

PictureSize recordPictureSize(const ImageGeometry& geometry) {
  return {std::int64_t{geometry.columns} * geometry.scale,
          std::int64_t{geometry.rows} * geometry.scale};
}

PictureSize gridPictureSize(std::size_t count, const ImageGeometry& geometry,
                            int perRow) {
  return layGrid(count, geometry, perRow).size;
}

Palette paletteFor(std::span<const ImageRecord> records,
                   const ImageGeometry& geometry) {
  std::vector<std::int32_t> values;
  for (const ImageRecord& record : records) {
    const auto drawn = drawnValues(record, geometry);
    values.insert(values.end(), drawn.begin(), drawn.end());
  }
  return Palette::forValues(values);
}

Raster drawRecord(const ImageRecord& record, const Palette& palette,
                  const ImageGeometry& geometry) {
  const PictureSize size = recordPictureSize(geometry);
  Raster raster(static_cast<int>(size.width), static_cast<int>(size.height));
  raster.drawImage(drawnValues(record, geometry), geometry.columns,
                   geometry.rows, palette, 0, 0, geometry.scale);
  return raster;
}

Raster drawGrid(std::span<const ImageRecord> records,
                std::span<const std::string> captions, const Palette& palette,
                const ImageGeometry& geometry, int perRow) {
  // The caller keeps the picture small enough for int coordinates.
  const GridLayout grid = layGrid(records.size(), geometry, perRow);
  const int imageHeight = geometry.rows * geometry.scale;
  const int count = static_cast<int>(records.size());
  const int across = static_cast<int>(grid.across);
  Raster raster(static_cast<int>(grid.size.width),
                static_cast<int>(grid.size.height), kPaper);
  for (int index = 0; index < count; ++index) {
    const int left = kMargin + (index % across) * grid.cellWidth;
    const int top = kMargin + (index / across) * grid.cellHeight;
    const ImageRecord& record = records[static_cast<std::size_t>(index)];
    raster.drawImage(drawnValues(record, geometry), geometry.columns,
                     geometry.rows, palette, left, top, geometry.scale);
    const std::vector<std::string> lines =
        wrapText(captionOf(record, static_cast<std::size_t>(index), captions),
                 grid.cellWidth - kMargin, grid.textScale);
    for (int line = 0; line < std::min<int>(kCaptionLines, lines.size());
         ++line) {
      raster.drawText(
          lines[static_cast<std::size_t>(line)], left,
          top + imageHeight + grid.textScale + line * grid.lineHeight,
          grid.textScale, kInk);
    }
  }
  return raster;
}

std::vector<std::string> wrapText(const std::string& text, int width,
                                  int scale) {
  const auto fitting = static_cast<std::size_t>(
      std::max(1, (width + scale) / ((kGlyphWidth + 1) * scale)));
  std::vector<std::string> lines;
  std::istringstream words(text);
  std::string word;
  while (words >> word) {
    word = word.substr(0, fitting);
    if (!lines.empty() && lines.back().size() + 1 + word.size() <= fitting) {
      lines.back() += " " + word;
    } else {
      lines.push_back(word);
    }
  }
  return lines;
}

}  // namespace hn

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

}  // namespace

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
  Raster raster(geometry.columns * geometry.scale,
                geometry.rows * geometry.scale);
  raster.drawImage(drawnValues(record, geometry), geometry.columns,
                   geometry.rows, palette, 0, 0, geometry.scale);
  return raster;
}

Raster drawGrid(std::span<const ImageRecord> records,
                std::span<const std::string> captions, const Palette& palette,
                const ImageGeometry& geometry, int perRow) {
  const int imageWidth = geometry.columns * geometry.scale;
  const int imageHeight = geometry.rows * geometry.scale;
  const int textScale = textScaleFor(imageWidth);
  const int lineHeight = (kGlyphHeight + 2) * textScale;
  const int cellWidth =
      std::max(imageWidth, textWidth("#000", textScale)) + kMargin;
  const int cellHeight = imageHeight + kCaptionLines * lineHeight + kMargin;
  const int count = static_cast<int>(records.size());
  const int across = std::max(1, std::min(perRow, count));
  const int down = std::max(1, (count + across - 1) / across);
  Raster raster(across * cellWidth + kMargin, down * cellHeight + kMargin,
                kPaper);
  for (int index = 0; index < count; ++index) {
    const int left = kMargin + (index % across) * cellWidth;
    const int top = kMargin + (index / across) * cellHeight;
    const ImageRecord& record = records[static_cast<std::size_t>(index)];
    raster.drawImage(drawnValues(record, geometry), geometry.columns,
                     geometry.rows, palette, left, top, geometry.scale);
    const std::vector<std::string> lines =
        wrapText(captionOf(record, static_cast<std::size_t>(index), captions),
                 cellWidth - kMargin, textScale);
    for (int line = 0; line < std::min<int>(kCaptionLines, lines.size());
         ++line) {
      raster.drawText(lines[static_cast<std::size_t>(line)], left,
                      top + imageHeight + textScale + line * lineHeight,
                      textScale, kInk);
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

#include "tools/render/image_sheet.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tools/render/png_file.h"

namespace hn {
namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};

TEST(Palette, SmallRangesGetNamedColoursAndNothingGeneratedStandsApart) {
  const std::vector<std::int32_t> values = {0, 1, 2, 3, -1};
  const Palette palette = Palette::forValues(values);
  EXPECT_FALSE(palette.isGreyScale());
  EXPECT_EQ(kWhite, palette.colourOf(0));
  const std::vector<Rgb> colours = {palette.colourOf(0), palette.colourOf(1),
                                    palette.colourOf(2), palette.colourOf(3),
                                    palette.colourOf(-1)};
  for (std::size_t a = 0; a < colours.size(); ++a) {
    for (std::size_t b = a + 1; b < colours.size(); ++b) {
      EXPECT_NE(colours[a], colours[b]) << a << " and " << b;
    }
  }
  EXPECT_EQ(Palette::kNothing, palette.colourOf(-1));
}

TEST(Palette, LargeRangesGoFromBlackToWhiteAndKeepNothingMagenta) {
  const std::vector<std::int32_t> values = {10, 110, 60, -1};
  const Palette palette = Palette::forValues(values);
  EXPECT_TRUE(palette.isGreyScale());
  EXPECT_EQ(kBlack, palette.colourOf(10));
  EXPECT_EQ(kWhite, palette.colourOf(110));
  EXPECT_EQ((Rgb{128, 128, 128}), palette.colourOf(60));
  EXPECT_EQ(Palette::kNothing, palette.colourOf(-1));
  // Out of the chosen range: the nearest end, never a read past a table.
  EXPECT_EQ(kWhite, palette.colourOf(5000));
  const Palette fixed = Palette::forValues(std::vector<std::int32_t>{0, 1});
  EXPECT_EQ(fixed.colourOf(7), fixed.colourOf(9));
}

TEST(DrawRecord, ScalesEachPositionAndDrawsMissingOnesAsNothing) {
  const ImageRecord record{0, {1, 0, 3}};  // one value short of 2 x 2
  const Palette palette = Palette::forValues(record.values);
  const Raster raster = drawRecord(record, palette, {2, 2, 3});
  ASSERT_EQ(6, raster.width());
  ASSERT_EQ(6, raster.height());
  EXPECT_EQ(palette.colourOf(1), raster.pixel(2, 2));
  EXPECT_EQ(kWhite, raster.pixel(3, 0));
  EXPECT_EQ(palette.colourOf(3), raster.pixel(0, 5));
  EXPECT_EQ(Palette::kNothing, raster.pixel(5, 5));
}

TEST(DrawGrid, LaysRecordsOutInRowsWithTheirCaptions) {
  std::vector<ImageRecord> records;
  for (int number = 0; number < 5; ++number) {
    records.push_back({number, std::vector<std::int32_t>(16, number % 4)});
  }
  const std::vector<std::string> captions = {"a big red square"};
  const Palette palette = Palette::forValues(records[3].values);
  const ImageGeometry geometry{4, 4, 10};
  const Raster three = drawGrid(records, captions, palette, geometry, 3);
  const Raster five = drawGrid(records, captions, palette, geometry, 5);
  EXPECT_GT(three.height(), five.height());
  EXPECT_LT(three.width(), five.width());
  // Record 1 (value 1, red) starts one cell to the right of record 0.
  const int cell = (five.width() - 6) / 5;
  EXPECT_EQ(palette.colourOf(1), five.pixel(6 + cell + 5, 6 + 5));
  EXPECT_EQ(palette.colourOf(0), five.pixel(6 + 5, 6 + 5));
}

TEST(WrapText, BreaksAtBlanksAndCutsWordsWiderThanTheLine) {
  // Four pixels per character at scale 1, less the last gap.
  EXPECT_EQ((std::vector<std::string>{"a big", "red", "squar"}),
            wrapText("a big red square", 19, 1));
  EXPECT_EQ((std::vector<std::string>{"a big red square"}),
            wrapText("a  big red square", 200, 1));
  EXPECT_TRUE(wrapText("", 50, 2).empty());
}

TEST(PngFile, WhatIsWrittenReadsBackPixelForPixel) {
  Raster raster(5, 3);
  raster.setPixel(4, 2, {10, 20, 30});
  raster.drawText("a1", 0, 0, 1, kBlack);
  const std::string path =
      (std::filesystem::temp_directory_path() / "hn_render_round_trip.png")
          .string();
  std::string error;
  ASSERT_TRUE(writePng(raster, path, error)) << error;
  const auto back = readPng(path, error);
  std::filesystem::remove(path);
  ASSERT_TRUE(back.has_value()) << error;
  EXPECT_EQ(raster.bytes(), back->bytes());
  EXPECT_EQ(5, back->width());

  EXPECT_FALSE(writePng(raster, "/nonexistent/folder/x.png", error));
  EXPECT_NE(std::string::npos, error.find("/nonexistent/folder/x.png"));
  EXPECT_FALSE(readPng("/nonexistent/x.png", error).has_value());
}

}  // namespace
}  // namespace hn

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testing/program_folder.h"
#include "tools/render/png_file.h"

namespace {

namespace fs = std::filesystem;
using ProgramRun = hn::testing::ProgramResult;

// Runs the built hn_render in a fresh folder of its own.
class HnRenderProgram : public testing::Test {
 protected:
  void write(const std::string& name, const std::string& text) const {
    folder.write(name, text);
  }
  ProgramRun run(const std::string& arguments) const {
    return folder.run(arguments);
  }

  const hn::testing::ProgramFolder folder{HN_RENDER_PROGRAM, "hn_render"};
  const fs::path work = folder.work();
};

TEST_F(HnRenderProgram, WritesOnePicturePerLearnerRecord) {
  write("generated.txt", "line : 0\n1 2 3 -1\nline : 1\n0 0 0 0\n");
  const ProgramRun result =
      run("--width 2 --height 2 --scale 3 --out pictures generated.txt");
  EXPECT_EQ(0, result.status) << result.err;
  EXPECT_EQ("wrote 2 images to pictures\n", result.out);
  std::string error;
  const auto first =
      hn::readPng((work / "pictures/record_0.png").string(), error);
  ASSERT_TRUE(first.has_value()) << error;
  EXPECT_EQ(6, first->width());
  EXPECT_EQ(hn::Palette::kNothing, first->pixel(5, 5));
  EXPECT_TRUE(fs::exists(work / "pictures/record_1.png"));
}

TEST_F(HnRenderProgram, GridTakesTheChosenRecordsAndWarnsOfShortOnes) {
  write("images.csv", "0,1,2,3\n3,2,1,0\n1,1\n");
  write("captions.txt", "first\nsecond\nthird\n");
  const ProgramRun result =
      run("--width 2 --height 2 --grid --first 1 --captions captions.txt "
          "--out grid.png images.csv");
  EXPECT_EQ(0, result.status) << result.err;
  EXPECT_EQ("wrote a grid of 2 images to grid.png\n", result.out);
  EXPECT_EQ(
      "images.csv: record 2 holds 2 values, fewer than 4; the rest is drawn "
      "as nothing generated\n",
      result.err);
  std::string error;
  EXPECT_TRUE(hn::readPng((work / "grid.png").string(), error).has_value())
      << error;
}

TEST_F(HnRenderProgram, UnreadableInputIsNamedWithStatusOne) {
  write("images.csv", "0,1\n0,one\n");
  const ProgramRun bad = run("--out pictures images.csv");
  EXPECT_EQ(1, bad.status);
  EXPECT_EQ("images.csv:2: 'one' is not a whole number\n", bad.err);
  EXPECT_FALSE(fs::exists(work / "pictures"));

  const ProgramRun missing = run("--out pictures absent.csv");
  EXPECT_EQ(1, missing.status);
  EXPECT_EQ("cannot read absent.csv\n", missing.err);

  const ProgramRun usage = run("--out pictures");
  EXPECT_EQ(2, usage.status);
  EXPECT_EQ(0u, usage.err.find("hn_render: ")) << usage.err;
}

}  // namespace

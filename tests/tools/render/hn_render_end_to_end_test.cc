#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testing/program_folder.h"
#include "testing/special_files.h"
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

TEST_F(HnRenderProgram, AFolderOrAFirstRecordPastTheEndIsAnError) {
  write("images.csv", "0,1\n1,0\n");
  fs::create_directory(work / "folder");
  const ProgramRun folderInput = run("--out pictures folder");
  EXPECT_EQ(1, folderInput.status);
  EXPECT_EQ("cannot read folder: it is a folder\n", folderInput.err);
  EXPECT_EQ("", folderInput.out);

  const ProgramRun past = run("--first 2 --grid --out grid.png images.csv");
  EXPECT_EQ(2, past.status);
  EXPECT_EQ(
      "hn_render: --first 2 is past the last of 2 records in images.csv; "
      "nothing was written\n",
      past.err);
  EXPECT_FALSE(fs::exists(work / "grid.png"));
  EXPECT_FALSE(fs::exists(work / "pictures"));
}

TEST_F(HnRenderProgram, PicturesTooLargeForMemoryAreRefusedBeforeDrawing) {
  write("images.csv", "0,1\n1,0\n");
  const ProgramRun huge =
      run("--width 10000 --height 10000 --scale 64 --out pictures images.csv");
  EXPECT_EQ(2, huge.status);
  EXPECT_EQ(
      "hn_render: a picture of 640000 by 640000 pixels is more than the "
      "100000000 pixels a picture may have; draw fewer records (--count) or "
      "smaller ones (--scale, --width, --height); nothing was written\n",
      huge.err);
  std::string many;
  for (int record = 0; record < 20000; ++record) many += "1\n";
  write("many.csv", many);
  const ProgramRun grid =
      run("--grid --columns 1 --scale 64 --out grid.png many.csv");
  EXPECT_EQ(2, grid.status);
  EXPECT_EQ(0u, grid.err.find("hn_render: a picture of ")) << grid.err;
  EXPECT_FALSE(fs::exists(work / "grid.png"));
  EXPECT_FALSE(fs::exists(work / "pictures"));
}

TEST_F(HnRenderProgram, OutputsThatAreNoRegularFileOrTheInputAreRefused) {
  write("images.csv", "0,1\n1,0\n");
  write("captions.txt", "one\ntwo\n");
  fs::create_directory(work / "pictures");
  fs::create_symlink("images.csv", work / "input-link");
  const struct {
    std::string special;  // made as each kind in turn; empty: none
    std::string arguments;
    std::string message;
  } cases[] = {
      {"grid.png", "--grid --out grid.png images.csv",
       "\"grid.png\" is KIND, not a regular file"},
      // Links are followed to the file they lead to.
      {"target", "--grid --out link.png images.csv",
       "\"link.png\" is KIND, not a regular file"},
      {"pictures/record_1.png",
       "--width 2 --height 1 --out pictures images.csv",
       "\"pictures/record_1.png\" is KIND, not a regular file"},
      {"", "--grid --out images.csv images.csv",
       "\"images.csv\" is the same file as \"images.csv\""},
      {"", "--grid --out input-link images.csv",
       "\"input-link\" is the same file as \"images.csv\""},
      {"", "--grid --captions captions.txt --out ./captions.txt images.csv",
       "\"./captions.txt\" is the same file as \"captions.txt\""},
  };
  fs::create_symlink("target", work / "link.png");
  for (const auto& c : cases) {
    for (const std::string kind : hn::testing::kSpecialKinds) {
      if (!c.special.empty() &&
          !hn::testing::makeSpecialFile(work / c.special, kind)) {
        continue;  // mknod is not permitted here
      }
      std::string message = c.message;
      if (const auto at = message.find("KIND"); at != std::string::npos) {
        message.replace(at, 4, kind);
      }
      const ProgramRun refused = run(c.arguments);
      EXPECT_EQ(2, refused.status) << c.arguments;
      EXPECT_EQ("hn_render: " + message + "; nothing was written\n",
                refused.err);
      EXPECT_EQ("0,1\n1,0\n", folder.read("images.csv"));
      EXPECT_EQ("one\ntwo\n", folder.read("captions.txt"));
      EXPECT_FALSE(fs::exists(work / "pictures/record_0.png"));
      if (c.special.empty()) break;
      EXPECT_EQ(kind == "a folder", fs::is_directory(work / c.special));
      fs::remove(work / c.special);
    }
  }
  const ProgramRun notAFolder = run("--out images.csv captions.txt");
  EXPECT_EQ(2, notAFolder.status);
  EXPECT_EQ(
      "hn_render: --out \"images.csv\" is a regular file, not a folder; "
      "nothing was written\n",
      notAFolder.err);
}

TEST_F(HnRenderProgram, APictureIsWrittenThroughALinkAndRemovedWhenCutShort) {
  write("images.csv", "0,1,2,3\n3,2,1,0\n");
  fs::create_symlink("target.png", work / "link.png");
  const ProgramRun linked =
      run("--width 2 --height 2 --grid --out link.png images.csv");
  EXPECT_EQ(0, linked.status) << linked.err;
  EXPECT_TRUE(fs::is_symlink(work / "link.png"));
  std::string error;
  EXPECT_TRUE(hn::readPng((work / "target.png").string(), error)) << error;

  // A disk that fills up, played by a limit on the size of files written
  // (1 KiB at most) that a grid of 16 varied images (8 KiB) outgrows.
  std::string varied;
  for (int record = 0; record < 16; ++record) {
    for (int position = 0; position < 64; ++position) {
      varied += std::to_string((position * 7 + record * 3 + position / 8) % 8) +
                (position < 63 ? "," : "\n");
    }
  }
  write("varied.csv", varied);
  const ProgramRun full = folder.run(
      "--width 8 --height 8 --scale 32 --grid --out link.png varied.csv",
      "trap '' XFSZ; ulimit -f 1 && ");
  EXPECT_EQ(1, full.status);
  EXPECT_EQ("cannot write link.png: File too large\n", full.err);
  EXPECT_TRUE(fs::is_symlink(work / "link.png"));
  EXPECT_FALSE(fs::exists(work / "target.png"));
}

}  // namespace

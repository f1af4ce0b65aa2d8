#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/render/png_file.h"

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the built hn_render in a fresh folder of its own.
class HnRenderProgram : public testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        fs::temp_directory_path() /
        ("hn_render_" +
         std::string(
             testing::UnitTest::GetInstance()->current_test_info()->name()) +
         "_" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }

  void TearDown() override { fs::remove_all(folder_); }

  void write(const std::string& name, const std::string& text) const {
    std::ofstream(folder_ / name, std::ios::binary) << text;
  }

  ProgramRun run(const std::string& arguments) const {
    const std::string command = "cd '" + folder_.string() + "' && '" +
                                HN_RENDER_PROGRAM + "' " + arguments +
                                " >stdout.txt 2>stderr.txt";
    const int result = std::system(command.c_str());
    ProgramRun run;
    run.status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    run.out = readFile(folder_ / "stdout.txt");
    run.err = readFile(folder_ / "stderr.txt");
    return run;
  }

  fs::path folder_;
};

TEST_F(HnRenderProgram, WritesOnePicturePerLearnerRecord) {
  write("generated.txt", "line : 0\n1 2 3 -1\nline : 1\n0 0 0 0\n");
  const ProgramRun result =
      run("--width 2 --height 2 --scale 3 --out pictures generated.txt");
  EXPECT_EQ(0, result.status) << result.err;
  EXPECT_EQ("wrote 2 images to pictures\n", result.out);
  std::string error;
  const auto first =
      hn::readPng((folder_ / "pictures/record_0.png").string(), error);
  ASSERT_TRUE(first.has_value()) << error;
  EXPECT_EQ(6, first->width());
  EXPECT_EQ(hn::Palette::kNothing, first->pixel(5, 5));
  EXPECT_TRUE(fs::exists(folder_ / "pictures/record_1.png"));
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
  EXPECT_TRUE(hn::readPng((folder_ / "grid.png").string(), error).has_value())
      << error;
}

TEST_F(HnRenderProgram, UnreadableInputIsNamedWithStatusOne) {
  write("images.csv", "0,1\n0,one\n");
  const ProgramRun bad = run("--out pictures images.csv");
  EXPECT_EQ(1, bad.status);
  EXPECT_EQ("images.csv:2: 'one' is not a whole number\n", bad.err);
  EXPECT_FALSE(fs::exists(folder_ / "pictures"));

  const ProgramRun missing = run("--out pictures absent.csv");
  EXPECT_EQ(1, missing.status);
  EXPECT_EQ("cannot read absent.csv\n", missing.err);

  const ProgramRun usage = run("--out pictures");
  EXPECT_EQ(2, usage.status);
  EXPECT_EQ(0u, usage.err.find("hn_render: ")) << usage.err;
}

}  // namespace

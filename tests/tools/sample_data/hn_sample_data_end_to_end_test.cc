#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

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

// Runs the built hn_sample_data in a fresh folder of its own.
class HnSampleDataProgram : public testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        fs::temp_directory_path() /
        ("hn_sample_data_" +
         std::string(
             testing::UnitTest::GetInstance()->current_test_info()->name()) +
         "_" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }

  void TearDown() override { fs::remove_all(folder_); }

  ProgramRun run(const std::string& arguments) const {
    const std::string command = "cd '" + folder_.string() + "' && '" +
                                HN_SAMPLE_DATA_PROGRAM + "' " + arguments +
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

TEST_F(HnSampleDataProgram, WritesEveryFileIntoANewFolder) {
  const ProgramRun result = run("--pairs 5 --seed 3 --out data/sample");
  EXPECT_EQ(0, result.status);
  EXPECT_EQ("wrote 5 pairs to data/sample\n", result.out);
  EXPECT_EQ("", result.err);
  const fs::path sample = folder_ / "data/sample";
  for (const char* name :
       {"sentences.csv", "images.csv", "captions.txt", "configure.txt"}) {
    const std::string text = readFile(sample / name);
    EXPECT_EQ(name == std::string("configure.txt") ? 10 : 5,
              std::count(text.begin(), text.end(), '\n'))
        << name;
  }
  EXPECT_EQ(readFile(sample / "dic.txt"),
            readFile(sample / "assembler/dic.txt"));
  EXPECT_EQ("../fragments.txt\n../assembled.txt\n",
            readFile(sample / "assembler/configure.txt"));
}

TEST_F(HnSampleDataProgram, ShapesKindWritesSmallImagesAndItsRunScript) {
  const ProgramRun result = run("--pairs 4 --kind shapes --out shapes");
  EXPECT_EQ(0, result.status) << result.err;
  const std::string images = readFile(folder_ / "shapes/images.csv");
  const std::string firstImage = images.substr(0, images.find('\n'));
  EXPECT_EQ(143, std::count(firstImage.begin(), firstImage.end(), ','));
  const std::string script = readFile(folder_ / "shapes/configure.txt");
  EXPECT_EQ(0u, script.find("1 direction")) << script;
  EXPECT_NE(std::string::npos, script.find("\n2 sentence words")) << script;
  EXPECT_NE(std::string::npos, script.find("\n2 image values")) << script;
}

// Both dictionaries know the photos' words, so the assembler can spell out
// what the learner generates.
TEST_F(HnSampleDataProgram, PhotosKindWritesItsImagesAndDictionary) {
  const ProgramRun result = run("--pairs 3 --kind photos --out photos");
  EXPECT_EQ(0, result.status) << result.err;
  const fs::path photos = folder_ / "photos";
  const std::string images = readFile(photos / "images.csv");
  const std::string firstImage = images.substr(0, images.find('\n'));
  EXPECT_EQ(1023, std::count(firstImage.begin(), firstImage.end(), ','));
  const std::string dictionary = readFile(photos / "dic.txt");
  EXPECT_EQ(22, std::count(dictionary.begin(), dictionary.end(), '\n'));
  EXPECT_EQ(dictionary, readFile(photos / "assembler/dic.txt"));
  EXPECT_NE(std::string::npos,
            readFile(photos / "configure.txt").find("\n20 hyperedges sampled"));
}

TEST_F(HnSampleDataProgram, HelpAndBadOptionsWriteNoFiles) {
  const ProgramRun help = run("--help");
  EXPECT_EQ(0, help.status);
  EXPECT_EQ(0u, help.out.find("usage: hn_sample_data")) << help.out;
  EXPECT_EQ("", help.err);
  for (const char* arguments : {"--pairs many", "--verbose 1", "--seed"}) {
    const ProgramRun bad = run(arguments);
    EXPECT_EQ(2, bad.status) << arguments;
    EXPECT_EQ("", bad.out) << arguments;
    EXPECT_EQ(0u, bad.err.find("hn_sample_data: ")) << bad.err;
    EXPECT_NE(std::string::npos, bad.err.find("usage:")) << arguments;
  }
  EXPECT_FALSE(fs::exists(folder_ / "dic.txt"));
}

TEST_F(HnSampleDataProgram, UnwritableOutputIsNamedWithStatusOne) {
  std::ofstream(folder_ / "taken") << "a file, not a folder\n";
  const ProgramRun onFile = run("--out taken");
  EXPECT_EQ(1, onFile.status);
  EXPECT_EQ("", onFile.out);
  EXPECT_NE(std::string::npos, onFile.err.find("taken")) << onFile.err;

  fs::create_directories(folder_ / "blocked/images.csv");
  const ProgramRun blocked = run("--out blocked");
  EXPECT_EQ(1, blocked.status);
  EXPECT_EQ("", blocked.out);
  EXPECT_EQ("cannot write blocked/images.csv\n", blocked.err);
}

}  // namespace

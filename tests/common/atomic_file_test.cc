#include "common/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <ostream>
#include <random>
#include <sstream>

namespace hn {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
 protected:
  AtomicFileTest() {
    std::random_device entropy;
    folder = fs::temp_directory_path() /
             ("hn_atomic_file_test_" + std::to_string(entropy()));
    fs::create_directories(folder);
  }
  ~AtomicFileTest() override { fs::remove_all(folder); }

  std::string read(const fs::path& path) const {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }

  std::size_t fileCount() const {
    return static_cast<std::size_t>(std::distance(
        fs::directory_iterator(folder), fs::directory_iterator()));
  }

  fs::path folder;
};

TEST_F(AtomicFileTest, WritesAndReplacesTheFileLeavingNothingElse) {
  const fs::path target = folder / "model.bin";
  std::string error;
  for (const std::string content : {"first version", "second"}) {
    ASSERT_TRUE(writeFileAtomically(
        target,
        [&](std::ostream& out) {
          out << content;
          return true;
        },
        error))
        << error;
    EXPECT_EQ(content, read(target));
    EXPECT_EQ(1u, fileCount());
  }
}

TEST_F(AtomicFileTest, AWriterThatGivesUpLeavesTheOldFileAndNoTemporary) {
  const fs::path target = folder / "model.bin";
  std::ofstream(target) << "old";
  std::string error;
  EXPECT_FALSE(writeFileAtomically(
      target,
      [](std::ostream& out) {
        out << "half of a new fi";
        return false;
      },
      error));
  EXPECT_NE(std::string::npos, error.find("given up")) << error;
  EXPECT_EQ("old", read(target));
  EXPECT_EQ(1u, fileCount());
}

TEST_F(AtomicFileTest, AProcessKilledWhileWritingLeavesNoFileUnderTheName) {
  const fs::path target = folder / "model.bin";
  const pid_t child = fork();
  ASSERT_NE(-1, child);
  if (child == 0) {
    std::string error;
    writeFileAtomically(
        target,
        [](std::ostream& out) {
          out << "partial content" << std::flush;
          _exit(9);  // dies mid-write, as a killed run would
          return true;
        },
        error);
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(9, WEXITSTATUS(status));
  EXPECT_FALSE(fs::exists(target));
  // The partial content sits in the temporary only.
  ASSERT_EQ(1u, fileCount());
  const fs::path temporary = fs::directory_iterator(folder)->path();
  EXPECT_EQ(0u, temporary.filename().string().find("model.bin.tmp-"));
  EXPECT_EQ("partial content", read(temporary));
}

TEST_F(AtomicFileTest, AMissingFolderIsReportedAndNothingIsLeft) {
  const fs::path target = folder / "missing" / "model.bin";
  std::string error;
  EXPECT_FALSE(canCreateBeside(target, error));
  EXPECT_NE(std::string::npos, error.find("missing")) << error;
  EXPECT_FALSE(writeFileAtomically(
      target, [](std::ostream&) { return true; }, error));
  EXPECT_TRUE(canCreateBeside(folder / "model.bin", error));
  EXPECT_EQ(0u, fileCount());
}

}  // namespace
}  // namespace hn

#include "common/same_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;

class SameFile : public ::testing::Test {
 protected:
  SameFile() : previous(fs::current_path()) {
    std::random_device entropy;
    folder = fs::temp_directory_path() /
             ("hn_same_file_" + std::to_string(entropy()));
    fs::create_directories(folder / "sub");
    fs::current_path(folder);
    std::ofstream("a.txt") << "a";
    std::ofstream("b.txt") << "a";
  }
  ~SameFile() override {
    fs::current_path(previous);
    fs::remove_all(folder);
  }

  fs::path previous;
  fs::path folder;
};

TEST_F(SameFile, ExistingFilesCompareByDeviceAndInode) {
  EXPECT_TRUE(hn::sameFile("a.txt", "a.txt"));
  EXPECT_TRUE(hn::sameFile("a.txt", "./a.txt"));
  EXPECT_TRUE(hn::sameFile("a.txt", "sub/../a.txt"));
  EXPECT_TRUE(hn::sameFile("a.txt", (folder / "a.txt").string()));
  fs::create_symlink("a.txt", "link.txt");
  fs::create_hard_link("a.txt", "hard.txt");
  EXPECT_TRUE(hn::sameFile("link.txt", "a.txt"));
  EXPECT_TRUE(hn::sameFile("hard.txt", "a.txt"));
  // Equal contents are not the same file.
  EXPECT_FALSE(hn::sameFile("a.txt", "b.txt"));
}

TEST_F(SameFile, MissingFilesCompareByNormalizedPath) {
  EXPECT_TRUE(hn::sameFile("new.txt", "./new.txt"));
  EXPECT_TRUE(hn::sameFile("sub/new.txt", "sub/../sub/new.txt"));
  EXPECT_TRUE(hn::sameFile("none/new.txt", (folder / "none/new.txt").string()));
  EXPECT_FALSE(hn::sameFile("new.txt", "sub/new.txt"));
  // One exists, the other does not: never the same.
  EXPECT_FALSE(hn::sameFile("a.txt", "new.txt"));
}

TEST_F(SameFile, AnEmptyNameIsNoFile) {
  EXPECT_FALSE(hn::sameFile("", ""));
  EXPECT_FALSE(hn::sameFile("", "a.txt"));
  EXPECT_FALSE(hn::sameFile("a.txt", ""));
}

}  // namespace

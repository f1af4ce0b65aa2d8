#include "common/output_target.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "testing/special_files.h"
#include "testing/temporary_folder.h"

namespace {

namespace fs = std::filesystem;

class OutputTarget : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temporary.path().empty());
    std::ofstream(folder / "file.txt") << "x";
  }

  std::string at(const std::string& name) const { return temporary.at(name); }

  const hn::testing::TemporaryFolder temporary{"hn_output_target"};
  const fs::path folder = temporary.path();
};

TEST_F(OutputTarget, KindsFollowLinks) {
  ASSERT_TRUE(hn::testing::makeSpecialFile(at("folder"), "a folder"));
  ASSERT_TRUE(hn::testing::makeSpecialFile(at("fifo"), "a FIFO"));
  const bool devices =
      hn::testing::makeSpecialFile(at("device"), "a device node");
  fs::create_symlink("file.txt", folder / "to-file");
  fs::create_symlink("fifo", folder / "to-fifo");
  fs::create_symlink("missing.txt", folder / "to-missing");
  const struct {
    std::string name;
    hn::FileKind kind;
  } cases[] = {
      {"missing.txt", hn::FileKind::kNone},
      {"file.txt", hn::FileKind::kRegular},
      {"folder", hn::FileKind::kFolder},
      {"fifo", hn::FileKind::kFifo},
      {"device", devices ? hn::FileKind::kDevice : hn::FileKind::kNone},
      {"to-file", hn::FileKind::kRegular},
      {"to-fifo", hn::FileKind::kFifo},
      {"to-missing", hn::FileKind::kNone},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.kind, hn::fileKind(at(c.name))) << c.name;
  }
  EXPECT_EQ(hn::FileKind::kNone, hn::fileKind(""));
  EXPECT_STREQ("a device node", hn::describe(hn::FileKind::kDevice));
}

TEST_F(OutputTarget, IsWhereTheChainOfLinksEnds) {
  fs::create_directory(folder / "sub");
  // Relative targets are taken from the link's own folder.
  fs::create_symlink("../file.txt", folder / "sub" / "up");
  fs::create_symlink("sub/up", folder / "twice");
  fs::create_symlink(folder / "new.txt", folder / "absolute");
  fs::create_symlink("loop", folder / "loop");
  EXPECT_EQ(at("file.txt"), hn::outputTarget(at("file.txt")));
  EXPECT_EQ(at("missing.txt"), hn::outputTarget(at("missing.txt")));
  EXPECT_EQ(fs::path(at("sub/../file.txt")),
            fs::path(hn::outputTarget(at("twice"))));
  EXPECT_EQ(at("new.txt"), hn::outputTarget(at("absolute")));
  // A loop ends somewhere, without hanging; opening it then fails.
  EXPECT_EQ(at("loop"), hn::outputTarget(at("loop")));
}

}  // namespace

#include "assembler/deferred_output_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>

#include "testing/temporary_folder.h"

namespace {

namespace fs = std::filesystem;

std::string contentOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(DeferredOutputFile, AnEarlierFileStaysUntilTheFirstWrite) {
  const hn::testing::TemporaryFolder folder("hn_deferred_output");
  const std::string path = folder.at("out.txt");
  std::ofstream(path) << "earlier\n";
  hn::DeferredOutputFile file(path);
  std::ostream out(&file);
  out << std::flush;
  EXPECT_EQ("earlier\n", contentOf(path));
  out << "first " << 1 << '\n' << std::flush;
  // A flushed line is in the file while it is still open.
  EXPECT_EQ("first 1\n", contentOf(path));
  out << 'x';
  EXPECT_TRUE(file.close());
  EXPECT_EQ("first 1\nx", contentOf(path));
}

TEST(DeferredOutputFile, CloseCreatesAFileNothingWasWrittenTo) {
  const hn::testing::TemporaryFolder folder("hn_deferred_output");
  hn::DeferredOutputFile file(folder.at("out.txt"));
  EXPECT_FALSE(fs::exists(folder.at("out.txt")));
  EXPECT_TRUE(file.close());
  EXPECT_EQ("", contentOf(folder.at("out.txt")));
  EXPECT_FALSE(file.createFailed());
}

TEST(DeferredOutputFile, AFileThatCannotBeCreatedFailsTheStream) {
  const hn::testing::TemporaryFolder folder("hn_deferred_output");
  hn::DeferredOutputFile file(folder.at("missing/out.txt"));
  std::ostream out(&file);
  EXPECT_FALSE(file.createFailed());
  out << "a line\n" << std::flush;
  EXPECT_FALSE(out);
  EXPECT_TRUE(file.createFailed());
  EXPECT_FALSE(file.close());
}

}  // namespace

#include "assembler/sentence_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace hn {
namespace {

std::string written(const std::vector<std::int32_t>& sentence) {
  const std::vector<std::string> dictionary{"aa", "cat", "dog", "sat"};
  std::ostringstream out;
  writeSentence(sentence, dictionary, out);
  return out.str();
}

TEST(WriteSentence, EveryWordIsFollowedByOneBlank) {
  EXPECT_EQ("aa cat sat dog \n", written({0, 1, 3, 2}));
  EXPECT_EQ("\n", written({}));
}

TEST(WriteSentence, ValuesOf1000OrMoreAreNotWritten) {
  EXPECT_EQ("cat dog \n", written({1, 1000, 2, 30005}));
  EXPECT_EQ("\n", written({1000, 999999}));
}

TEST(WriteSentence, ValuesWithoutEntryWriteAPlaceholder) {
  EXPECT_EQ("cat <unknown> <unknown> <unknown> \n", written({1, 4, 999, -1}));
  EXPECT_EQ("<unknown> \n", written({INT32_MIN}));
}

}  // namespace
}  // namespace hn

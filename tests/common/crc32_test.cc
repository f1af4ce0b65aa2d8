#include "common/crc32.h"

#include <gtest/gtest.h>

#include <string>

namespace hn {
namespace {

TEST(Crc32, GivesTheStandardCheckValues) {
  const std::string check = "123456789";
  EXPECT_EQ(0xCBF43926u, crc32(check.data(), check.size()));
  EXPECT_EQ(0u, crc32(nullptr, 0));
  const std::string fox = "The quick brown fox jumps over the lazy dog";
  EXPECT_EQ(0x414FA339u, crc32(fox.data(), fox.size()));
}

TEST(Crc32, ContinuesOverDataInPieces) {
  const std::string text = "123456789";
  for (std::size_t split = 0; split <= text.size(); ++split) {
    const std::uint32_t first = crc32(text.data(), split);
    EXPECT_EQ(0xCBF43926u,
              crc32(text.data() + split, text.size() - split, first))
        << split;
  }
}

}  // namespace
}  // namespace hn

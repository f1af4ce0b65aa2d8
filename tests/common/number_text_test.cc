#include "common/number_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TextToInt, StopsAtTheFirstNonDigitAndSkipsOnlyLeadingSpace) {
  EXPECT_EQ(42, hn::textToInt("\n\v\f\r 42"));
  EXPECT_EQ(4, hn::textToInt("4 2"));
  EXPECT_EQ(0, hn::textToInt("x7"));
  EXPECT_EQ(0, hn::textToInt("-"));
  EXPECT_EQ(-3, hn::textToInt("-3\r"));
}

TEST(TextToInt, LongDigitRunsSaturateWithoutOverflow) {
  EXPECT_EQ(2147483647, hn::textToInt("2147483648"));
  EXPECT_EQ(-2147483647 - 1, hn::textToInt("-2147483649"));
  EXPECT_EQ(2147483647, hn::textToInt(std::string(400, '9')));
}

TEST(TextToReal, ReadsTheLongestNumberPrefix) {
  EXPECT_DOUBLE_EQ(1e-5, hn::textToReal("1e-5"));
  EXPECT_DOUBLE_EQ(2.0, hn::textToReal("2e"));
  EXPECT_DOUBLE_EQ(0.0, hn::textToReal("e5"));
}

}  // namespace

#include "learner/index/exact_sum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using hn::fractionBitsOf;
using hn::sumsStayExact;

TEST(FractionBits, CountTheBinaryDigitsAfterThePoint) {
  const struct {
    double weight;
    int bits;
  } cases[] = {
      {0.0, 0},
      {-0.0, 0},
      {1.0, 0},
      {-3.0, 0},
      {0x1p60, 0},
      {std::numeric_limits<double>::max(), 0},
      {0.5, 1},
      {-1.5, 1},
      {0.75, 2},
      {0x1p-52, 52},
      {1.0 + 0x1p-52, 52},
      {0.1, 55},
      {std::numeric_limits<double>::denorm_min(), 1074},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.bits, fractionBitsOf(c.weight)) << c.weight;
  }
}

// The bound is 2^(53 - k) for multiples of 2^-k, and no sum of fractions
// finer than 2^-52 is ever trusted.
TEST(SumsStayExact, UpToTheBoundAndNotBeyond) {
  const double past = std::numeric_limits<double>::infinity();
  const struct {
    int fractionBits;
    double magnitude;
    bool exact;
  } cases[] = {
      {0, 0.0, true},
      {0, 0x1p53, true},
      {0, std::nextafter(0x1p53, past), false},
      {1, 0x1p52, true},
      {1, 0x1p52 + 1.0, false},
      {52, 2.0, true},
      {52, std::nextafter(2.0, past), false},
      {53, 0.0, false},
      {55, 0.0, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.exact, sumsStayExact(c.fractionBits, c.magnitude))
        << c.fractionBits << " fraction bits, magnitude " << c.magnitude;
  }
}

}  // namespace

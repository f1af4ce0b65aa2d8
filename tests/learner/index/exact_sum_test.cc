#include "learner/index/exact_sum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

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

// Each step of a bound rounds up, so the bounds hold for any real number
// the rounded values stand for; infinity stays infinity.
TEST(SafeRounding, StepsUpAndDownPastEveryValue) {
  const double infinity = std::numeric_limits<double>::infinity();
  const double tiny = std::numeric_limits<double>::denorm_min();
  const double largest = std::numeric_limits<double>::max();
  EXPECT_EQ(tiny, hn::nextUp(0.0));
  EXPECT_EQ(std::nextafter(1.0, 2.0), hn::nextUp(1.0));
  EXPECT_EQ(infinity, hn::nextUp(largest));
  EXPECT_EQ(infinity, hn::nextUp(infinity));
  EXPECT_EQ(tiny, hn::nextUpSigned(-0.0));
  EXPECT_EQ(std::nextafter(-1.0, 0.0), hn::nextUpSigned(-1.0));
  EXPECT_EQ(-tiny, hn::nextDownSigned(0.0));
  EXPECT_EQ(std::nextafter(0.1, 0.0), hn::nextDownSigned(0.1));
  EXPECT_EQ(-largest, hn::nextUpSigned(-infinity));
  EXPECT_EQ(1.0, hn::addUp(1.0, 0.0));
  EXPECT_LT(1.0 + 0x1p-60, hn::addUp(1.0, 0x1p-60));
  EXPECT_EQ(0.0, hn::lowerEnd(0.0, 0.0));
  EXPECT_EQ(-infinity, hn::lowerEnd(infinity, infinity));
  EXPECT_EQ(infinity, hn::upperEnd(-infinity, infinity));
}

// TwoSum's error is exactly what the rounded sum lost.
TEST(SafeRounding, TheErrorOfASumIsExact) {
  EXPECT_EQ(1.0, hn::sumError(0x1p53, 1.0, 0x1p53 + 1.0));
  EXPECT_EQ(0.0, hn::sumError(0.5, 0.25, 0.75));
  const double s = 0.1 + 0.2;
  const double e = hn::sumError(0.1, 0.2, s);
  EXPECT_NE(0.0, e);
  // s + e is 0.1 + 0.2 exactly: taking 0.2 off leaves 0.1 exactly.
  EXPECT_EQ(0.1, (s - 0.2) + e);
  EXPECT_EQ(-1.0, hn::sumError(-0x1p53, -1.0, -0x1p53 - 1.0));
}

TEST(OrderedSumBound, IsGammaOfTheTermsTimesTheirMagnitude) {
  EXPECT_EQ(0.0, hn::orderedSumBound(0, 5.0));
  EXPECT_EQ(0.0, hn::orderedSumBound(1, 5.0));
  EXPECT_EQ(0.0, hn::orderedSumBound(7, 0.0));
  // γ(1) = u / (1 - u), just above u.
  EXPECT_LT(0x1p-53 * 3.0, hn::orderedSumBound(2, 3.0));
  EXPECT_GT(0x1p-53 * 3.0 * (1.0 + 0x1p-40), hn::orderedSumBound(2, 3.0));
  const double k = 1e6;
  const double gamma = k * 0x1p-53 / (1.0 - k * 0x1p-53);
  EXPECT_LE(gamma * 2.0, hn::orderedSumBound(1000001, 2.0));
  // Past k·u = 1/2 the bound means nothing.
  EXPECT_EQ(std::numeric_limits<double>::infinity(),
            hn::orderedSumBound((std::uint64_t{1} << 52) + 2, 1.0));
  EXPECT_TRUE(
      std::isfinite(hn::orderedSumBound((std::uint64_t{1} << 52) + 1, 1.0)));
}

TEST(ExactLimit, IsTwoToTheFiftyThreeMinusTheFractionBits) {
  EXPECT_EQ(0x1p53, hn::exactLimit(0));
  EXPECT_EQ(0x1p52, hn::exactLimit(1));
  EXPECT_EQ(2.0, hn::exactLimit(52));
  EXPECT_EQ(0.0, hn::exactLimit(53));
  EXPECT_EQ(0.0, hn::exactLimit(1074));
}

// Sums of parts, each a sum of steps of 0.1, 0.3, -0.1 or 1e-3 taken in
// one order, times how often a window repeats: the same terms added one
// after another in any other order stay within the radius.
TEST(SumBound, HoldsTheSumInAnyOrder) {
  std::mt19937 random(7);
  const double steps[] = {0.1, 0.3, -0.1, 1e-3, 0.7};
  for (int round = 0; round < 2000; ++round) {
    const double step = steps[round % 5];
    std::vector<double> terms;
    hn::SumBound bound;
    double value = 0.0;
    const int parts = std::uniform_int_distribution<int>(1, 6)(random);
    for (int p = 0; p < parts; ++p) {
      const int times = std::uniform_int_distribution<int>(1, 4)(random);
      const int count = std::uniform_int_distribution<int>(1, 5)(random);
      double sum = 0.0;
      double magnitude = 0.0;
      std::vector<double> partTerms;
      for (int t = 0; t < count; ++t) {
        double weight = 1.0;
        const int updates = std::uniform_int_distribution<int>(0, 30)(random);
        for (int u = 0; u < updates; ++u) weight += step;
        partTerms.push_back(weight);
        sum += weight;
        magnitude += std::fabs(weight);
      }
      for (int t = 0; t < times; ++t) {
        terms.insert(terms.end(), partTerms.begin(), partTerms.end());
      }
      // The part's own sum is within this of its exact sum.
      const double partError = hn::orderedSumBound(partTerms.size(), magnitude);
      bound.add(value, times, sum, partError, magnitude * (1.0 + 0x1p-40),
                static_cast<std::uint32_t>(partTerms.size()), 60);
    }
    const double radius = bound.radius();
    for (int order = 0; order < 5; ++order) {
      std::shuffle(terms.begin(), terms.end(), random);
      double ordered = terms.front();
      for (std::size_t i = 1; i < terms.size(); ++i) ordered += terms[i];
      EXPECT_LE(std::fabs(ordered - value), radius) << "round " << round;
    }
  }
}

TEST(SumBound, IsZeroOnlyWhereNothingCanRound) {
  hn::SumBound whole;
  double value = 0.0;
  whole.add(value, 3.0, 5.0, 0.0, 5.0, 2, 0);
  whole.add(value, 1.0, 0.5, 0.0, 0.5, 1, 1);
  EXPECT_EQ(15.5, value);
  EXPECT_EQ(0.0, whole.radius());

  // The same at the edge of the exact range, and just past it.
  hn::SumBound edge;
  double edgeValue = 0.0;
  edge.add(edgeValue, 1.0, 1.0, 0.0, 0x1p52, 2, 0);
  EXPECT_EQ(0.0, edge.radius());
  edge.add(edgeValue, 1.0, 1.0, 0.0, 0x1p52, 2, 0);
  EXPECT_LT(0.0, edge.radius());

  // A part whose own sum may be off, or whose terms are fine fractions.
  hn::SumBound off;
  double offValue = 0.0;
  off.add(offValue, 1.0, 1.0, 0x1p-60, 1.0, 1, 0);
  EXPECT_LE(0x1p-60, off.radius());
  hn::SumBound fine;
  double fineValue = 0.0;
  fine.add(fineValue, 1.0, 0.1, 0.0, 0.1, 1, 55);
  fine.add(fineValue, 1.0, 0.2, 0.0, 0.2, 1, 55);
  EXPECT_LE(std::fabs((0.1 + 0.2) - fineValue), fine.radius());
  EXPECT_LT(0.0, fine.radius());

  // Too many terms for the bound to mean anything.
  hn::SumBound many;
  double manyValue = 0.0;
  many.add(manyValue, 1.0, 1.0, 0.0, 1e300, 1u << 30, 60);
  many.add(manyValue, 2.0, 1.0, 0.0, 1e300, 1u << 30, 60);
  EXPECT_EQ(std::numeric_limits<double>::infinity(), many.radius());
}

}  // namespace

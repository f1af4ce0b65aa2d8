#pragma once

#include <bit>
#include <cstdint>
#include <limits>

namespace hn {

// Floating-point sums depend on the order of their terms, except when no
// partial sum is ever rounded: when every term is a multiple of 2^-k and
// every partial sum stays within 2^(53-k) in magnitude. Weights that start
// as whole counts and change by a binary fraction such as 0.5 stay within
// that, so sums of them may be taken in any order.

// The k of a finite weight: how many binary digits after the point it
// needs (0 for whole numbers, 1 for halves, 52 and more for most decimal
// fractions such as 0.1).
int fractionBitsOf(double weight);

// Whether every partial sum of multiples of 2^-fractionBits is exact while
// the partial sums stay within `magnitude`.
bool sumsStayExact(int fractionBits, double magnitude);

// Otherwise a sum taken in another order is only near the one taken in a
// given order, and how near is bounded: n terms added one after another
// give a result within γ(n-1)·Σ|term| of their exact sum, where
// γ(k) = k·u / (1 - k·u) and u = 2^-53 (Higham, Accuracy and Stability of
// Numerical Algorithms, 2nd ed., §4.2). The helpers below keep such bounds
// safe: every bound they compute is rounded up, never down.

// The next double above `x`, for finite x >= 0: an upper bound on any real
// number that rounds to x.
// Infinity stays infinity.
inline double nextUp(double x) {
  if (!(x < std::numeric_limits<double>::infinity())) return x;
  return std::bit_cast<double>(std::bit_cast<std::uint64_t>(x) + 1);
}

// An upper bound on a + b for finite a, b >= 0; exactly a when b is 0.
inline double addUp(double a, double b) { return b == 0.0 ? a : nextUp(a + b); }

// The rounding error of s = a + b (s the rounded sum): a + b - s exactly
// (Knuth's TwoSum), for finite a, b.
inline double sumError(double a, double b, double s) {
  const double bVirtual = s - a;
  const double aVirtual = s - bVirtual;
  return (a - aVirtual) + (b - bVirtual);
}

// An upper bound on |r - x| for the rounded result r of an operation whose
// exact result is x: u·|r|, rounded up.
inline double roundingBound(double r) {
  return nextUp((r < 0 ? -r : r) * 0x1p-53);
}

// nextUp for any finite x, and its mirror: a lower bound on any real
// number that rounds to x.
inline double nextUpSigned(double x) {
  if (x < 0) {
    return -std::bit_cast<double>(std::bit_cast<std::uint64_t>(-x) - 1);
  }
  return nextUp(x + 0.0);
}
inline double nextDownSigned(double x) { return -nextUpSigned(-x); }

// The lowest and highest values a sum within `radius` of `sum` may have
// (the whole line when they overflow).
inline double lowerEnd(double sum, double radius) {
  if (radius == 0.0) return sum;
  const double low = nextDownSigned(sum - radius);
  return low == low ? low : -std::numeric_limits<double>::infinity();
}
inline double upperEnd(double sum, double radius) {
  if (radius == 0.0) return sum;
  const double high = nextUpSigned(sum + radius);
  return high == high ? high : std::numeric_limits<double>::infinity();
}

// 2^(53 - fractionBits): while partial sums of multiples of
// 2^-fractionBits stay within it, none rounds (0 from 53 bits on).
inline double exactLimit(int fractionBits) {
  if (fractionBits > 52) return 0.0;
  return std::bit_cast<double>(std::uint64_t(1023 + 53 - fractionBits) << 52);
}

// An upper bound on γ(terms - 1) · magnitude: how far `terms` terms of
// absolute sum at most `magnitude`, added one after another in any order,
// can end from their exact sum. 0 for a single term (or none). Infinite
// when the bound is meaningless (terms near 2^53).
double orderedSumBound(std::uint64_t terms, double magnitude);

// A sum of sums kept in some order, each with what is needed to bound how
// far the same terms added one after another in any order can end from
// it: the sums' own distances from their exact sums (`error`), the terms'
// absolute sum (`magnitude`), their count and the most binary digits
// after the point of any of them. Kept in plain arithmetic, for speed: the
// radius allows for the rounding of its own bookkeeping.
struct SumBound {
  double error = 0.0;
  double magnitude = 0.0;
  std::uint64_t terms = 0;
  int fractionBits = 0;

  // Adds `times` (a whole number >= 1) times a sum `sum` that is within
  // `partError` of the exact sum of `partTerms` terms of absolute sum at
  // most `partMagnitude` to `value`, which this describes.
  void add(double& value, double times, double sum, double partError,
           double partMagnitude, std::uint32_t partTerms, int partBits) {
    value += times * sum;
    error += times * partError;
    magnitude += times * partMagnitude;
    terms += static_cast<std::uint64_t>(times) * partTerms;
    if (partBits > fractionBits) fractionBits = partBits;
  }

  // An upper bound on |value - s| for the sum s of the same terms added
  // one after another in any order, `value` being the sum this describes:
  // its parts' errors, the rounding of their products and of their sum
  // (at most γ(k - 1) for k <= terms parts), and s's own distance from
  // the exact sum (γ(terms - 1)) come to at most
  // E + (M + E)·(2n + 1)·u for n·u small, plus a margin for the rounding
  // of E and M themselves. 0 when no sum can have rounded: exact parts of
  // multiples of 2^-k within the exact range.
  double radius() const {
    if (error == 0.0 &&
        magnitude * (1.0 + 0x1p-16) <= exactLimit(fractionBits)) {
      return 0.0;
    }
    const auto n = static_cast<double>(terms);
    if (!(n <= 0x1p31)) return std::numeric_limits<double>::infinity();
    const double radius =
        (error + (magnitude + error) * ((2.0 * n + 1.0) * 0x1p-53)) *
        (1.0 + 0x1p-16);
    return radius == radius ? radius : std::numeric_limits<double>::infinity();
  }
};

}  // namespace hn

#include "learner/index/exact_sum.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace hn {

int fractionBitsOf(double weight) {
  const auto bits = std::bit_cast<std::uint64_t>(weight);
  const auto exponent = static_cast<int>((bits >> 52) & 0x7FF);
  std::uint64_t digits = bits & ((std::uint64_t{1} << 52) - 1);
  if (exponent == 0 && digits == 0) return 0;  // ±0
  // The value is digits · 2^(exponent - 1075), with the hidden bit for
  // normal numbers; subnormals scale as the smallest exponent does.
  int scale = -1074;
  if (exponent != 0) {
    digits |= std::uint64_t{1} << 52;
    scale = exponent - 1075;
  }
  const int lowest = scale + std::countr_zero(digits);
  return lowest < 0 ? -lowest : 0;
}

bool sumsStayExact(int fractionBits, double magnitude) {
  return fractionBits <= 52 && magnitude <= std::ldexp(1.0, 53 - fractionBits);
}

double orderedSumBound(std::uint64_t terms, double magnitude) {
  if (terms <= 1 || magnitude == 0.0) return 0.0;
  // k·u is exact (k < 2^53, u a power of two), and so is 1 - k·u while
  // k·u <= 1/2; the quotient and the product are rounded up.
  const double k = static_cast<double>(terms - 1);
  const double ku = k * 0x1p-53;
  if (!(ku <= 0.5)) return std::numeric_limits<double>::infinity();
  const double gamma = nextUp(ku / (1.0 - ku));
  return nextUp(gamma * magnitude);
}

}  // namespace hn

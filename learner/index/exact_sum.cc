#include "learner/index/exact_sum.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace hn {

int fractionBitsOf(double weight) {
  if (weight == 0.0) return 0;
  int exponent = 0;
  const double mantissa = std::frexp(std::fabs(weight), &exponent);
  const auto digits = static_cast<std::uint64_t>(std::ldexp(mantissa, 53));
  const int lowest = exponent - 53 + std::countr_zero(digits);
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

#include "learner/index/exact_sum.h"

#include <bit>
#include <cmath>
#include <cstdint>

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

}  // namespace hn

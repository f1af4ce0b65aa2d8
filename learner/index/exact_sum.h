#pragma once

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

}  // namespace hn

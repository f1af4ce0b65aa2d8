#pragma once

#include <cstdint>
#include <string_view>

namespace hn {

// The C `atoi` rules: leading white space, an optional sign, then decimal
// digits up to the first other character; no digits give 0. Unlike `atoi`,
// a number beyond the 32-bit range is defined: it saturates to the nearest
// representable value.
std::int32_t textToInt(std::string_view text);

// The C `atof` rules: the longest prefix that reads as a decimal or
// hexadecimal number (or inf/nan) after leading white space; none gives 0.0.
double textToReal(std::string_view text);

}  // namespace hn

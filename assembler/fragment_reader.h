#pragma once

#include <optional>
#include <string_view>

#include "assembler/fragment.h"

namespace hn {

// True for a line whose first character is a lower-case 'l' (the learner
// writes "line : " and the record number); nothing after it is read.
bool isRecordHeader(std::string_view line);

// Reads a line such as "{(12,7,30):2.5}". The braces and parentheses are
// dropped; the count k of ',' and ':' separators, not the number of tokens,
// decides how many integers are read as values before the weight, and
// anything after the weight is ignored. The values read as `>>` reads an
// int, the weight as `strtod` reads a double ("inf", "nan", "1e999" and hex
// included). Returns nothing when the k integers or the weight do not read
// (an empty line, a stray line of text).
std::optional<Fragment> parseFragmentLine(std::string_view line);

}  // namespace hn

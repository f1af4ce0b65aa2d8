#pragma once

// Helpers shared by the fuzz targets: independent readings of text that the
// targets compare the project's readers with.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace hn::fuzz {

// Stops the run with a message; libFuzzer records the input as a finding.
[[noreturn]] inline void propertyFailed(const char* what) {
  std::fprintf(stderr, "property failed: %s\n", what);
  std::abort();
}

#define HN_FUZZ_CHECK(condition)                              \
  do {                                                        \
    if (!(condition)) ::hn::fuzz::propertyFailed(#condition); \
  } while (false)

// The lines std::getline gives for `text`, without their line feeds: a
// final line feed ends the last line and starts none.
inline std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

inline std::string withoutCarriageReturns(const std::string& text) {
  std::string result;
  for (const char c : text) {
    if (c != '\r') result += c;
  }
  return result;
}

// Every line feed preceded by a carriage return; with `finalReturn`, a text
// that does not end with a line feed gets a carriage return at its end too.
inline std::string toCrLf(const std::string& text, bool finalReturn) {
  std::string result;
  for (const char c : text) {
    if (c == '\n') result += '\r';
    result += c;
  }
  if (finalReturn && !text.empty() && text.back() != '\n') result += '\r';
  return result;
}

// A decimal integer as strtoll reads it, clamped to 32 bits.
inline std::int32_t strtollInt32(const std::string& field) {
  errno = 0;
  const long long value = std::strtoll(field.c_str(), nullptr, 10);
  if (value > std::numeric_limits<std::int32_t>::max()) {
    return std::numeric_limits<std::int32_t>::max();
  }
  if (value < std::numeric_limits<std::int32_t>::min()) {
    return std::numeric_limits<std::int32_t>::min();
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace hn::fuzz

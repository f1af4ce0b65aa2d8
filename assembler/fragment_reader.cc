#include "assembler/fragment_reader.h"

#include <cstddef>
#include <cstdlib>
#include <sstream>
#include <string>

namespace hn {

bool isRecordHeader(std::string_view line) {
  return !line.empty() && line.front() == 'l';
}

std::optional<Fragment> parseFragmentLine(std::string_view line) {
  std::string numbers;
  numbers.reserve(line.size());
  std::size_t separatorCount = 0;
  for (const char c : line) {
    if (c == '{' || c == '(' || c == ')' || c == '}') continue;
    if (c == ',' || c == ':') {
      numbers.push_back(' ');
      ++separatorCount;
    } else {
      numbers.push_back(c);
    }
  }

  std::istringstream in(numbers);
  Fragment fragment;
  fragment.values.resize(separatorCount);
  for (std::int32_t& value : fragment.values) in >> value;
  if (in.fail()) return std::nullopt;
  // The weight is read as strtod reads it, so that every weight the learner
  // can write reads back: "inf" (a weight that overflowed) is the heaviest
  // of all, "nan" is a number that weighs nothing.
  const std::size_t offset =
      in.eof() ? numbers.size() : static_cast<std::size_t>(in.tellg());
  const char* const weightText = numbers.c_str() + offset;
  char* end = nullptr;
  fragment.weight = std::strtod(weightText, &end);
  if (end == weightText) return std::nullopt;
  return fragment;
}

}  // namespace hn

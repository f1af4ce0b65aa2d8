#include "assembler/fragment_reader.h"

#include <cstddef>
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
  in >> fragment.weight;
  if (in.fail()) return std::nullopt;
  return fragment;
}

}  // namespace hn

#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hn {

// One image as read from a file: its values in position order.
struct ImageRecord {
  std::int32_t number = 0;
  std::vector<std::int32_t> values;
};

// Reads either kind of image file: a data set's image CSV (one image per
// line, values separated by commas) or the learner's image output (a
// "line : k" header, then one line of values separated by blanks). Returns
// nothing and sets `error` to "file:line: reason" on the first field that is
// not a whole number or does not fit in 32 bits, or on a header without its
// image line.
std::optional<std::vector<ImageRecord>> readImageRecords(
    std::istream& in, std::string_view fileName, std::string& error);

}  // namespace hn

#include "tools/render/image_record_reader.h"

#include <charconv>
#include <istream>

namespace hn {
namespace {

constexpr std::string_view kHeader = "line : ";

bool isSeparator(char c) { return c == ',' || c == ' ' || c == '\r'; }

// Splits at commas and blanks; a field must be a whole number on its own
// that fits in 32 bits. On failure `fault` says why.
bool parseValues(std::string_view line, std::vector<std::int32_t>& values,
                 std::string& fault) {
  std::size_t at = 0;
  while (at < line.size()) {
    if (isSeparator(line[at])) {
      ++at;
      continue;
    }
    std::size_t end = at;
    while (end < line.size() && !isSeparator(line[end])) ++end;
    std::int32_t value = 0;
    const auto [stop, failure] =
        std::from_chars(line.data() + at, line.data() + end, value);
    if (failure != std::errc() || stop != line.data() + end) {
      const std::string field(line.substr(at, end - at));
      fault = stop == line.data() + end
                  ? "'" + field + "' is out of range (beyond 32 bits)"
                  : "'" + field + "' is not a whole number";
      return false;
    }
    values.push_back(value);
    at = end;
  }
  return true;
}

std::string located(std::string_view fileName, std::size_t lineNumber,
                    const std::string& reason) {
  return std::string(fileName) + ":" + std::to_string(lineNumber) + ": " +
         reason;
}

}  // namespace

std::optional<std::vector<ImageRecord>> readImageRecords(
    std::istream& in, std::string_view fileName, std::string& error) {
  std::vector<ImageRecord> records;
  std::string line;
  std::size_t lineNumber = 0;
  std::optional<std::int32_t> headerNumber;
  while (std::getline(in, line)) {
    ++lineNumber;
    if (line.starts_with(kHeader)) {
      if (headerNumber) {
        error = located(fileName, lineNumber, "a header without its image");
        return std::nullopt;
      }
      std::string ignored;
      std::vector<std::int32_t> parsed;
      if (!parseValues(std::string_view(line).substr(kHeader.size()), parsed,
                       ignored) ||
          parsed.size() != 1) {
        error = located(fileName, lineNumber, "a header needs one number");
        return std::nullopt;
      }
      headerNumber = parsed.front();
      continue;
    }
    ImageRecord record;
    record.number =
        headerNumber.value_or(static_cast<std::int32_t>(records.size()));
    headerNumber.reset();
    std::string fault;
    if (!parseValues(line, record.values, fault)) {
      error = located(fileName, lineNumber, fault);
      return std::nullopt;
    }
    records.push_back(std::move(record));
  }
  if (headerNumber) {
    error = located(fileName, lineNumber, "a header without its image");
    return std::nullopt;
  }
  return records;
}

}  // namespace hn

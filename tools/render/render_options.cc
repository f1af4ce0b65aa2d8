#include "tools/render/render_options.h"

#include <charconv>
#include <ostream>

namespace hn {
namespace {

struct NumberOption {
  std::string_view name;
  std::int32_t minimum;
  std::int32_t maximum;
  std::int32_t RenderOptions::*field;
};

// Bounds keep a slip of the keyboard from asking for gigabytes of pixels.
constexpr NumberOption kNumberOptions[] = {
    {"--width", 1, 10000, &RenderOptions::width},
    {"--height", 1, 10000, &RenderOptions::height},
    {"--scale", 1, 64, &RenderOptions::scale},
    {"--columns", 1, 100, &RenderOptions::columns},
    {"--first", 0, 1000000, &RenderOptions::first},
};

std::optional<std::int32_t> parseNumber(std::string_view text) {
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, failure] = std::from_chars(text.data(), end, value);
  if (text.empty() || failure != std::errc() || stop != end) {
    return std::nullopt;
  }
  return value;
}

bool setNumber(std::string_view name, std::int32_t minimum,
               std::int32_t maximum, std::string_view text,
               std::int32_t& target, std::string& error) {
  const std::optional<std::int32_t> value = parseNumber(text);
  if (!value || *value < minimum || *value > maximum) {
    error = std::string(name) + " needs a whole number from " +
            std::to_string(minimum) + " to " + std::to_string(maximum) +
            ", not '" + std::string(text) + "'";
    return false;
  }
  target = *value;
  return true;
}

// The options besides kNumberOptions that take a value.
constexpr std::string_view kOtherValueOptions[] = {"--count", "--out",
                                                   "--captions"};

bool takesValue(std::string_view name) {
  for (const NumberOption& option : kNumberOptions) {
    if (name == option.name) return true;
  }
  for (const std::string_view option : kOtherValueOptions) {
    if (name == option) return true;
  }
  return false;
}

bool applyOption(std::string_view name, std::string_view value,
                 RenderOptions& options, std::string& error) {
  for (const NumberOption& option : kNumberOptions) {
    if (name == option.name) {
      return setNumber(option.name, option.minimum, option.maximum, value,
                       options.*option.field, error);
    }
  }
  if (name == "--count") {
    std::int32_t count = 0;
    if (!setNumber(name, 1, 1000000, value, count, error)) return false;
    options.count = count;
    return true;
  }
  if (name == "--out" || name == "--captions") {
    if (value.empty()) {
      error = std::string(name) + " needs a file name";
      return false;
    }
    (name == "--out" ? options.output : options.captionsFile) = value;
    return true;
  }
  error = "unknown option '" + std::string(name) + "'";
  return false;
}

}  // namespace

std::optional<RenderOptions> parseRenderOptions(
    const std::vector<std::string_view>& arguments, std::string& error) {
  RenderOptions options;
  for (std::size_t index = 0; index < arguments.size(); ++index) {
    const std::string_view argument = arguments[index];
    if (argument == "--help" || argument == "-h") {
      options.helpRequested = true;
    } else if (argument == "--grid") {
      options.grid = true;
    } else if (!argument.starts_with("--")) {
      if (!options.inputFile.empty()) {
        error = "one input file only, not also '" + std::string(argument) + "'";
        return std::nullopt;
      }
      options.inputFile = argument;
    } else if (index + 1 == arguments.size()) {
      error = takesValue(argument)
                  ? std::string(argument) + " needs a value"
                  : "unknown option '" + std::string(argument) + "'";
      return std::nullopt;
    } else if (!applyOption(argument, arguments[++index], options, error)) {
      return std::nullopt;
    }
  }
  if (options.helpRequested) return options;
  if (options.inputFile.empty() || options.output.empty()) {
    error = "needs an input file and --out";
    return std::nullopt;
  }
  return options;
}

void writeRenderUsage(std::ostream& out) {
  out << "usage: hn_render [--width W] [--height H] [--scale N] [--first N]\n"
         "                 [--count N] [--grid [--columns N] [--captions "
         "FILE]]\n"
         "                 --out PATH IMAGES\n"
         "\n"
         "Draws the images of IMAGES, a data set's image CSV file or\n"
         "hn_learner's image output, as PNG files: one per record into the\n"
         "folder PATH (record_K.png), or with --grid all of them in one PNG\n"
         "file PATH, each above its record number and caption. Values 0 to 7\n"
         "get fixed colours (0 white, 1 red, 2 green, 3 blue, ...), larger\n"
         "ranges a grey scale; -1 (nothing generated) is magenta.\n"
         "\n"
         "  --width W     image columns (default 80)\n"
         "  --height H    image rows (default 60)\n"
         "  --scale N     pixels per image position across (default 1)\n"
         "  --first N     first record drawn, from 0 (default 0)\n"
         "  --count N     records drawn (default all)\n"
         "  --grid        one PNG of all records\n"
         "  --columns N   records per grid row (default 8)\n"
         "  --captions F  line K of F is the caption of record K\n"
         "  --help        show this text\n";
}

}  // namespace hn

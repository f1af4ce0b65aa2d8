#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hn {

// The command line of hn_render.
struct RenderOptions {
  std::string inputFile;
  // A folder for one PNG per record, or the PNG file of a grid.
  std::string output;
  std::int32_t width = 80;
  std::int32_t height = 60;
  std::int32_t scale = 1;
  bool grid = false;
  std::int32_t columns = 8;
  std::string captionsFile;
  std::int32_t first = 0;
  std::optional<std::int32_t> count;
  bool helpRequested = false;
};

// Parses the arguments after the program name. Returns nothing and sets
// `error` to a one-line explanation for an unknown option, a missing or
// out-of-range value, or a missing input file or --out.
std::optional<RenderOptions> parseRenderOptions(
    const std::vector<std::string_view>& arguments, std::string& error);

void writeRenderUsage(std::ostream& out);

}  // namespace hn

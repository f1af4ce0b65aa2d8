// hn_render: draws image files of the sample data set or of hn_learner's
// image output as PNG pictures that a person can look at.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/text_line.h"
#include "tools/render/image_record_reader.h"
#include "tools/render/image_sheet.h"
#include "tools/render/png_file.h"
#include "tools/render/render_options.h"

namespace {

constexpr int kUsageStatus = 2;
constexpr int kFailureStatus = 1;

std::vector<std::string> readLines(const std::string& path, bool& readable) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  readable = static_cast<bool>(in);
  std::string line;
  while (hn::readLine(in, line)) lines.push_back(line);
  return lines;
}

// Reports records whose drawn part is cut short: their missing positions
// show as nothing generated.
void warnAboutShortRecords(std::span<const hn::ImageRecord> records,
                           const hn::RenderOptions& options) {
  const auto wanted = static_cast<std::size_t>(options.width) * options.height;
  for (const hn::ImageRecord& record : records) {
    if (record.values.size() >= wanted) continue;
    std::cerr << options.inputFile << ": record " << record.number << " holds "
              << record.values.size() << " values, fewer than " << wanted
              << "; the rest is drawn as nothing generated\n";
  }
}

bool writeEachRecord(std::span<const hn::ImageRecord> records,
                     const hn::Palette& palette,
                     const hn::ImageGeometry& geometry,
                     const std::string& folder) {
  std::error_code failure;
  std::filesystem::create_directories(folder, failure);
  if (failure) {
    std::cerr << "cannot create folder " << folder << ": " << failure.message()
              << '\n';
    return false;
  }
  for (const hn::ImageRecord& record : records) {
    const std::string path =
        (std::filesystem::path(folder) /
         ("record_" + std::to_string(record.number) + ".png"))
            .string();
    std::string error;
    if (!hn::writePng(hn::drawRecord(record, palette, geometry), path, error)) {
      std::cerr << error << '\n';
      return false;
    }
  }
  return true;
}

int render(const hn::RenderOptions& options) {
  std::ifstream in(options.inputFile);
  if (!in) {
    std::cerr << "cannot read " << options.inputFile << '\n';
    return kFailureStatus;
  }
  std::string error;
  const auto records = hn::readImageRecords(in, options.inputFile, error);
  if (!records) {
    std::cerr << error << '\n';
    return kFailureStatus;
  }
  const std::size_t first =
      std::min(records->size(), static_cast<std::size_t>(options.first));
  const std::size_t count = std::min(
      records->size() - first,
      static_cast<std::size_t>(options.count.value_or(records->size())));
  const std::span<const hn::ImageRecord> drawn(records->data() + first, count);
  warnAboutShortRecords(drawn, options);

  const hn::ImageGeometry geometry{options.width, options.height,
                                   options.scale};
  const hn::Palette palette = hn::paletteFor(drawn, geometry);
  if (!options.grid) {
    if (!writeEachRecord(drawn, palette, geometry, options.output)) {
      return kFailureStatus;
    }
    std::cout << "wrote " << count << " images to " << options.output << '\n';
    return 0;
  }
  std::vector<std::string> captions;
  if (!options.captionsFile.empty()) {
    bool readable = false;
    captions = readLines(options.captionsFile, readable);
    if (!readable) {
      std::cerr << "cannot read " << options.captionsFile << '\n';
      return kFailureStatus;
    }
    captions.erase(captions.begin(),
                   captions.begin() + std::min(first, captions.size()));
  }
  if (!hn::writePng(
          hn::drawGrid(drawn, captions, palette, geometry, options.columns),
          options.output, error)) {
    std::cerr << error << '\n';
    return kFailureStatus;
  }
  std::cout << "wrote a grid of " << count << " images to " << options.output
            << '\n';
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  std::string error;
  const auto options = hn::parseRenderOptions(arguments, error);
  if (!options) {
    std::cerr << "hn_render: " << error << '\n';
    hn::writeRenderUsage(std::cerr);
    return kUsageStatus;
  }
  if (options->helpRequested) {
    hn::writeRenderUsage(std::cout);
    return 0;
  }
  return render(*options);
}

// hn_render: draws image files of the sample data set or of hn_learner's
// image output as PNG pictures that a person can look at.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <new>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/output_target.h"
#include "common/same_file.h"
#include "common/text_line.h"
#include "tools/render/image_record_reader.h"
#include "tools/render/image_sheet.h"
#include "tools/render/png_file.h"
#include "tools/render/render_options.h"

namespace {

constexpr int kUsageStatus = 2;
constexpr int kFailureStatus = 1;
constexpr int kMemoryStatus = 255;

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

std::string recordPath(const std::string& folder,
                       const hn::ImageRecord& record) {
  return (std::filesystem::path(folder) /
          ("record_" + std::to_string(record.number) + ".png"))
      .string();
}

// Why the picture file `path` may not be written, or nothing: it is not a
// regular file (a folder, a device node, a FIFO; links are followed), or it
// is a file the run reads.
std::optional<std::string> pictureProblem(const std::string& path,
                                          const hn::RenderOptions& options) {
  const hn::FileKind kind = hn::fileKind(path);
  if (!hn::isWritableKind(kind)) {
    return "\"" + path + "\" is " + hn::describe(kind) + ", not a regular file";
  }
  for (const std::string& input : {options.inputFile, options.captionsFile}) {
    if (hn::sameFile(path, input)) {
      return "\"" + path + "\" is the same file as \"" + input + "\"";
    }
  }
  return std::nullopt;
}

// Why --out may not be written, found out before anything is read: the
// grid's file as `pictureProblem` says, the folder of one picture per
// record when it is anything but a folder.
std::optional<std::string> outputProblem(const hn::RenderOptions& options) {
  if (options.grid) return pictureProblem(options.output, options);
  const hn::FileKind kind = hn::fileKind(options.output);
  if (kind == hn::FileKind::kNone || kind == hn::FileKind::kFolder) {
    return std::nullopt;
  }
  return "--out \"" + options.output + "\" is " + hn::describe(kind) +
         ", not a folder";
}

std::optional<std::string> sizeProblem(hn::PictureSize size) {
  if (size.pixels() <= hn::kMaxPicturePixels) return std::nullopt;
  return "a picture of " + std::to_string(size.width) + " by " +
         std::to_string(size.height) + " pixels is more than the " +
         std::to_string(hn::kMaxPicturePixels) +
         " pixels a picture may have; draw fewer records (--count) or "
         "smaller ones (--scale, --width, --height)";
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
    std::string error;
    if (!hn::writePng(hn::drawRecord(record, palette, geometry),
                      recordPath(folder, record), error)) {
      std::cerr << error << '\n';
      return false;
    }
  }
  return true;
}

int refuse(const std::string& reason) {
  std::cerr << "hn_render: " << reason << "; nothing was written\n";
  return kUsageStatus;
}

std::optional<std::vector<hn::ImageRecord>> readRecords(
    const std::string& path) {
  if (hn::fileKind(path) == hn::FileKind::kFolder) {
    std::cerr << "cannot read " << path << ": it is a folder\n";
    return std::nullopt;
  }
  std::ifstream in(path);
  if (!in) {
    std::cerr << "cannot read " << path << '\n';
    return std::nullopt;
  }
  std::string error;
  auto records = hn::readImageRecords(in, path, error);
  if (!records) {
    std::cerr << error << '\n';
  } else if (in.bad()) {
    std::cerr << "cannot read " << path << '\n';
    records.reset();
  }
  return records;
}

int render(const hn::RenderOptions& options) {
  if (const auto problem = outputProblem(options)) return refuse(*problem);
  const auto records = readRecords(options.inputFile);
  if (!records) return kFailureStatus;
  const auto first = static_cast<std::size_t>(options.first);
  if (first > 0 && first >= records->size()) {
    return refuse("--first " + std::to_string(first) + " is past the last of " +
                  std::to_string(records->size()) + " records in " +
                  options.inputFile);
  }
  const std::size_t count = std::min(
      records->size() - first,
      static_cast<std::size_t>(options.count.value_or(records->size())));
  const std::span<const hn::ImageRecord> drawn(records->data() + first, count);

  const hn::ImageGeometry geometry{options.width, options.height,
                                   options.scale};
  if (const auto problem = sizeProblem(
          options.grid ? hn::gridPictureSize(count, geometry, options.columns)
                       : hn::recordPictureSize(geometry))) {
    return refuse(*problem);
  }
  if (!options.grid) {
    for (const hn::ImageRecord& record : drawn) {
      const auto problem =
          pictureProblem(recordPath(options.output, record), options);
      if (problem) return refuse(*problem);
    }
  }
  warnAboutShortRecords(drawn, options);

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
  std::string error;
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
  // Pictures are capped well below the memory of a machine; an input file
  // larger than the memory still ends with a message.
  try {
    return render(*options);
  } catch (const std::bad_alloc&) {
    std::cerr << "hn_render: cannot allocate memory\n";
  } catch (const std::length_error&) {
    std::cerr << "hn_render: cannot allocate memory\n";
  }
  return kMemoryStatus;
}

// hn_sample_data: writes a small synthetic data set that hn_learner learns
// from in seconds, with the run scripts of both programs.

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "tools/sample_data/caption.h"
#include "tools/sample_data/run_script.h"
#include "tools/sample_data/sample_data_options.h"
#include "tools/sample_data/sample_data_set.h"

namespace {

constexpr int kUsageStatus = 2;
constexpr int kWriteFailureStatus = 1;

bool createFolder(const std::filesystem::path& folder) {
  std::error_code failure;
  std::filesystem::create_directories(folder, failure);
  if (failure) {
    std::cerr << "cannot create folder " << folder.string() << ": "
              << failure.message() << '\n';
    return false;
  }
  return true;
}

bool writeFile(const std::filesystem::path& path,
               const std::function<void(std::ostream&)>& write) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) {
    write(out);
    out.close();
  }
  if (!out) {
    std::cerr << "cannot write " << path.string() << '\n';
    return false;
  }
  return true;
}

bool writeSampleFolder(const hn::SampleDataOptions& options) {
  const std::filesystem::path folder = options.outputFolder;
  const std::filesystem::path assembler = folder / hn::kAssemblerFolder;
  if (!createFolder(assembler)) return false;

  const hn::SampleDataSet dataSet(options.pairCount, options.seed,
                                  options.kind);
  const auto writeDictionary = [&](std::ostream& out) {
    hn::writeDictionary(out, options.kind);
  };
  return writeFile(folder / "dic.txt", writeDictionary) &&
         writeFile(folder / hn::kSentencesFile,
                   [&](std::ostream& out) { dataSet.writeSentences(out); }) &&
         writeFile(folder / hn::kImagesFile,
                   [&](std::ostream& out) { dataSet.writeImages(out); }) &&
         writeFile(folder / "captions.txt",
                   [&](std::ostream& out) { dataSet.writeCaptions(out); }) &&
         writeFile(folder / "configure.txt",
                   [&](std::ostream& out) {
                     hn::writeLearnerRunScript(out, options.learner,
                                               options.kind);
                   }) &&
         writeFile(assembler / "configure.txt",
                   hn::writeAssemblerConfiguration) &&
         writeFile(assembler / "dic.txt", writeDictionary);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  std::string error;
  const auto options = hn::parseSampleDataOptions(arguments, error);
  if (!options) {
    std::cerr << "hn_sample_data: " << error << '\n';
    hn::writeUsage(std::cerr);
    return kUsageStatus;
  }
  if (options->helpRequested) {
    hn::writeUsage(std::cout);
    return 0;
  }
  if (!writeSampleFolder(*options)) return kWriteFailureStatus;
  std::cout << "wrote " << options->pairCount << " pairs to "
            << options->outputFolder << '\n';
  return 0;
}

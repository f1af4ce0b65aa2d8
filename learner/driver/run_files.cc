#include "learner/driver/run_files.h"

#include <filesystem>
#include <iostream>
#include <system_error>

#include "common/same_file.h"

namespace hn {

RunFile entryFile(const RunScriptEntries& entries, std::size_t entry,
                  const std::string& role) {
  return {entries[entry], role + " \"" + entries[entry] + "\" on line " +
                              std::to_string(entry + 1) + " of " +
                              kRunScriptName};
}

RunFile runScriptFile() {
  return {kRunScriptName,
          std::string("the run script \"") + kRunScriptName + "\" itself"};
}

RunFile trainingLogFile() {
  return {"result.txt", "the training log \"result.txt\""};
}

RunFile modelFileNamed(const std::string& name, const std::string& option) {
  return {name, "the model file \"" + name + "\" of " + option};
}

std::optional<std::string> sameFileClash(const std::vector<RunFile>& written,
                                         const std::vector<RunFile>& read) {
  const auto clash = [](const RunFile& a, const RunFile& b) {
    return a.origin + " is the same file as " + b.origin;
  };
  for (const RunFile& output : written) {
    for (const RunFile& input : read) {
      if (sameFile(output.name, input.name)) return clash(output, input);
    }
  }
  for (std::size_t i = 0; i < written.size(); ++i) {
    for (std::size_t j = i + 1; j < written.size(); ++j) {
      if (sameFile(written[i].name, written[j].name)) {
        return clash(written[i], written[j]);
      }
    }
  }
  return std::nullopt;
}

bool canCreate(const std::string& name) {
  std::error_code error;
  const bool existed = std::filesystem::exists(name, error);
  const bool opened =
      static_cast<bool>(std::ofstream(name, std::ios::app | std::ios::out));
  if (opened && !existed) std::filesystem::remove(name, error);
  return opened;
}

bool closeOutput(std::ofstream& out, const std::string& name) {
  if (out) out.close();
  if (out) return true;
  std::cerr << "hn_learner: writing the output file \"" << name << "\" failed\n"
            << std::flush;
  return false;
}

}  // namespace hn

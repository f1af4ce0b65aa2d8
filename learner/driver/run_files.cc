#include "learner/driver/run_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "common/output_target.h"
#include "common/same_file.h"

namespace hn {

RunFile entryFile(const RunScriptEntries& entries, std::size_t entry,
                  const std::string& role) {
  return {entries[entry], role + " \"" + entries[entry] + "\" on line " +
                              std::to_string(entry + 1) + " of " +
                              kRunScriptName};
}

std::vector<RunFile> dataFiles(const RunScriptEntries& entries) {
  return {entryFile(entries, kSentenceFileEntry, "the sentence file"),
          entryFile(entries, kImageFileEntry, "the image file")};
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

std::optional<std::string> nonRegularOutput(
    const std::vector<RunFile>& written) {
  for (const RunFile& output : written) {
    const FileKind kind = fileKind(output.name);
    if (!isWritableKind(kind)) {
      return output.origin + " is " + describe(kind) + ", not a regular file";
    }
  }
  return std::nullopt;
}

bool canCreate(const std::string& name) {
  const std::string target = outputTarget(name);
  std::error_code error;
  const bool existed = std::filesystem::exists(target, error);
  const bool opened =
      static_cast<bool>(std::ofstream(target, std::ios::app | std::ios::out));
  if (opened && !existed) std::filesystem::remove(target, error);
  return opened;
}

void reportUnopenable(const std::vector<RunFile>& files) {
  for (const RunFile& file : files) {
    // Without blocking, should the file be a FIFO.
    const int descriptor =
        ::open(file.name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor >= 0) {
      ::close(descriptor);
      continue;
    }
    std::cerr << "hn_learner: cannot open " << file.origin << ": "
              << std::strerror(errno) << '\n'
              << std::flush;
  }
}

void reportNoPairs(const RunScriptEntries& entries,
                   const std::string& accuracy) {
  std::cerr << "hn_learner: no sentence-image pair was read from \""
            << entries[kSentenceFileEntry] << "\" and \""
            << entries[kImageFileEntry] << "\", so " << accuracy
            << ", a mean over the pairs, is -nan\n"
            << std::flush;
}

bool closeOutput(std::ofstream& out, const std::string& name) {
  if (out) out.close();
  if (out) return true;
  std::cerr << "hn_learner: writing the output file \"" << name << "\" failed\n"
            << std::flush;
  return false;
}

}  // namespace hn

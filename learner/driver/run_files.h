#pragma once

#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "learner/driver/run_script.h"

namespace hn {

// A file that a run reads or writes, and where its name comes from, as the
// messages name it: `the sentence file "s.csv" on line 7 of configure.txt`.
struct RunFile {
  std::string name;
  std::string origin;
};

// The file named by a run-script entry, in the role given.
RunFile entryFile(const RunScriptEntries& entries, std::size_t entry,
                  const std::string& role);
// configure.txt, read by every run.
RunFile runScriptFile();
// result.txt, written by every training run.
RunFile trainingLogFile();
// The model file named after the command-line option given.
RunFile modelFileNamed(const std::string& name, const std::string& option);

// The first pair of files that are one and the same (see `sameFile`): a
// written file against each read one, then the written files against each
// other. Returns the message that names both, or nothing when every file
// the run writes is a file of its own.
std::optional<std::string> sameFileClash(const std::vector<RunFile>& written,
                                         const std::vector<RunFile>& read);

// Whether `name` can be created for writing, found out without leaving a
// trace: a file that did not exist before is removed again.
bool canCreate(const std::string& name);

// Closes an output file after its last write; false, with the failure named
// on standard error, when a write or the close failed.
bool closeOutput(std::ofstream& out, const std::string& name);

}  // namespace hn

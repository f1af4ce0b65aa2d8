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
// The sentence file (line 7) and the image file (line 8).
std::vector<RunFile> dataFiles(const RunScriptEntries& entries);
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

// The first file the run writes that is not a regular file or a new name:
// a folder, a device node, a FIFO or a socket (links followed). Returns the
// message that names it and what it is, or nothing when every one may be
// written.
std::optional<std::string> nonRegularOutput(
    const std::vector<RunFile>& written);

// Whether `name` can be created for writing, found out without leaving a
// trace: a file that did not exist before is removed again (through a
// link, the file it leads to; the link stays).
bool canCreate(const std::string& name);

// Names on standard error each of `files` that cannot be opened for
// reading, with the reason ("No such file or directory").
void reportUnopenable(const std::vector<RunFile>& files);

// Says on standard error why `accuracy` ("the accuracy") reads -nan: the
// data files named by `entries` gave no pair to take the mean over.
void reportNoPairs(const RunScriptEntries& entries,
                   const std::string& accuracy);

// Closes an output file after its last write; false, with the failure named
// on standard error, when a write or the close failed.
bool closeOutput(std::ofstream& out, const std::string& name);

}  // namespace hn

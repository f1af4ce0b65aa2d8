#pragma once

#include <array>
#include <cstddef>
#include <iosfwd>
#include <string>

namespace hn {

inline constexpr std::size_t kRunScriptEntryCount = 10;

// The ten entries of a run script, by line: 0 direction of generation,
// 1 order, 2 order2, 3 epochs, 4 weight-update parameter, 5 hyperedges per
// pair, 6 sentence file, 7 image file, 8 text output file, 9 image output
// file.
using RunScriptEntries = std::array<std::string, kRunScriptEntryCount>;

// Only the first token of each line counts. A line without a token, and
// every line past the end of the script, repeats the entry before it (the
// empty text before line 0).
RunScriptEntries parseRunScript(std::istream& script);

// Reads `configure.txt` in the working directory; a script that cannot be
// opened gives ten empty entries.
RunScriptEntries readRunScript();

// Entry 6, ",", entry 7: the data set's file names.
std::string dataFileNames(const RunScriptEntries& entries);

}  // namespace hn

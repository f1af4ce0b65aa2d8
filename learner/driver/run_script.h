#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace hn {

inline constexpr std::size_t kRunScriptEntryCount = 10;

// The name of the run script, read from the working directory.
inline constexpr char kRunScriptName[] = "configure.txt";

// The ten entries of a run script, by line: 0 direction of generation,
// 1 order, 2 order2, 3 epochs, 4 weight-update parameter, 5 hyperedges per
// pair, 6 sentence file, 7 image file, 8 text output file, 9 image output
// file.
using RunScriptEntries = std::array<std::string, kRunScriptEntryCount>;

// Indices into RunScriptEntries; the run-script line is the index + 1.
inline constexpr std::size_t kDirectionEntry = 0;
inline constexpr std::size_t kOrderEntry = 1;
inline constexpr std::size_t kOrder2Entry = 2;
inline constexpr std::size_t kEpochsEntry = 3;
inline constexpr std::size_t kWeightUpdateEntry = 4;
inline constexpr std::size_t kPerLineEntry = 5;
inline constexpr std::size_t kSentenceFileEntry = 6;
inline constexpr std::size_t kImageFileEntry = 7;
inline constexpr std::size_t kTextOutputEntry = 8;
inline constexpr std::size_t kImageOutputEntry = 9;

// Only the first token of each line counts. A line without a token, and
// every line past the end of the script, repeats the entry before it (the
// empty text before line 0).
RunScriptEntries parseRunScript(std::istream& script);

// Reads `configure.txt` in the working directory; a script that cannot be
// opened or read gives ten empty entries, and `readable` is set to false.
RunScriptEntries readRunScript(bool& readable);

// Entry 6, ",", entry 7: the data set's file names.
std::string dataFileNames(const RunScriptEntries& entries);

// Whether the run generates images from text (direction "0") rather than
// text from images.
bool generatesImages(const RunScriptEntries& entries);
// The entry naming the output file of the run's direction.
std::size_t outputEntry(const RunScriptEntries& entries);

// The largest `order` (line 2) and `order2` (line 3) a run takes. An image
// has 4800 positions; with that many image values, a hyperedge of the
// largest order still fits the 65,536 vertices a model file holds. No
// sentence line the learner can use makes a larger window worth having,
// and the caps keep a slip of the keyboard from allocating gigabytes.
inline constexpr std::int32_t kMaxOrder = 60000;
inline constexpr std::int32_t kMaxOrder2 = 4800;

// The entries that no training may start with, one message per entry in
// line order, each naming its run-script line: a negative `order` (line 2)
// or `order2` (line 3), or one above its cap; a negative number of epochs
// (line 4) or of hyperedges per pair (line 6), all read by the `atoi`
// rules; and a weight-update parameter (line 5) that is not a finite
// number by the `atof` rules (inf, nan, or beyond the range of a double).
// Empty when the run can start.
std::vector<std::string> runScriptFaults(const RunScriptEntries& entries);

}  // namespace hn

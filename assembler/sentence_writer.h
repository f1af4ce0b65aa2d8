#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace hn {

// Written for a word value below 1000 that has no dictionary entry (negative,
// or past the end of dic.txt): the line keeps one visible token in the
// word's place instead of reading outside the dictionary.
inline constexpr char kUnknownWord[] = "<unknown>";

// Writes one line: every word followed by one blank, the last one included,
// then a line break and a flush, so each sentence is in the file before the
// next record is read. Values of 1000 or more are not words and are skipped,
// so an empty sentence, or one of such values only, gives an empty line.
void writeSentence(const std::vector<std::int32_t>& sentence,
                   const std::vector<std::string>& dictionary,
                   std::ostream& out);

}  // namespace hn

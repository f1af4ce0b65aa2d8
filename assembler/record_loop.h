#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "assembler/sentence_assembly.h"

namespace hn {

// Fragments weighing less (or NaN) take no part in the assembly.
inline constexpr double kMinimumWeight = 1.0;

// Reads the learner's text output line by line and writes one sentence line
// per record, in input order. The first line heads the first record whatever
// it holds; every later line starting with 'l' heads the next one. Fragments
// weighing less than 1.0, and lines that do not read as a fragment, are
// dropped. An input without any line gives no output at all. Only the
// current record's fragments are held in memory. Lines may end with CR LF.
// Reading stops at the first record after `out` has failed. Each record's
// first fragment seeds its sentence as `seeding` says.
void assembleRecords(std::istream& in,
                     const std::vector<std::string>& dictionary,
                     std::ostream& out,
                     Seeding seeding = Seeding::kAllButLastValue);

}  // namespace hn

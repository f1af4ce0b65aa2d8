#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace hn {

// Returns the word list indexed by word value: entry 0 is always "aa", and
// line i of `in` (counted from 1, taken whole but for a carriage return
// ending it, as a CRLF file has) is entry i. A final line break adds no
// entry, but an empty last line before it does.
std::vector<std::string> loadDictionary(std::istream& in);

}  // namespace hn

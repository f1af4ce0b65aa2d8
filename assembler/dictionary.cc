#include "assembler/dictionary.h"

#include <istream>

namespace hn {

std::vector<std::string> loadDictionary(std::istream& in) {
  std::vector<std::string> dictionary{"aa"};
  std::string line;
  while (std::getline(in, line)) {
    // A file saved with CRLF line ends must not put '\r' into the words.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    dictionary.push_back(line);
  }
  return dictionary;
}

}  // namespace hn

#include "assembler/dictionary.h"

#include <istream>

#include "common/text_line.h"

namespace hn {

std::vector<std::string> loadDictionary(std::istream& in) {
  std::vector<std::string> dictionary{"aa"};
  std::string line;
  // A file saved with CRLF line ends must not put '\r' into the words.
  while (readLine(in, line)) {
    dictionary.push_back(line);
  }
  return dictionary;
}

}  // namespace hn

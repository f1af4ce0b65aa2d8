#include "assembler/dictionary.h"

#include <istream>

namespace hn {

std::vector<std::string> loadDictionary(std::istream& in) {
  std::vector<std::string> dictionary{"aa"};
  std::string line;
  while (std::getline(in, line)) dictionary.push_back(line);
  return dictionary;
}

}  // namespace hn

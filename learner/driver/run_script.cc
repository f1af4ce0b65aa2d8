#include "learner/driver/run_script.h"

#include <fstream>
#include <sstream>

namespace hn {

RunScriptEntries parseRunScript(std::istream& script) {
  RunScriptEntries entries;
  std::string current;
  std::string line;
  for (std::string& entry : entries) {
    if (std::getline(script, line)) {
      std::istringstream tokens(line);
      std::string token;
      if (tokens >> token) current = token;
    }
    entry = current;
  }
  return entries;
}

RunScriptEntries readRunScript() {
  std::ifstream script("configure.txt");
  return parseRunScript(script);
}

std::string dataFileNames(const RunScriptEntries& entries) {
  return entries[6] + "," + entries[7];
}

}  // namespace hn

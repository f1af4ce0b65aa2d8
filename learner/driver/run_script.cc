#include "learner/driver/run_script.h"

#include <cmath>
#include <fstream>
#include <sstream>

#include "common/number_text.h"

namespace hn {
namespace {

std::string lineLabel(std::size_t entry) {
  return "line " + std::to_string(entry + 1) + " of " + kRunScriptName;
}

}  // namespace

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

RunScriptEntries readRunScript(bool& readable) {
  std::ifstream script(kRunScriptName);
  const RunScriptEntries entries = parseRunScript(script);
  readable = script.is_open() && !script.bad();
  return readable ? entries : RunScriptEntries{};
}

std::string dataFileNames(const RunScriptEntries& entries) {
  return entries[kSentenceFileEntry] + "," + entries[kImageFileEntry];
}

bool generatesImages(const RunScriptEntries& entries) {
  return entries[kDirectionEntry] == "0";
}

std::size_t outputEntry(const RunScriptEntries& entries) {
  return generatesImages(entries) ? kImageOutputEntry : kTextOutputEntry;
}

std::vector<std::string> runScriptFaults(const RunScriptEntries& entries) {
  std::vector<std::string> faults;
  const auto refuseNegative = [&](std::size_t entry, const char* what) {
    if (textToInt(entries[entry]) >= 0) return false;
    faults.push_back(lineLabel(entry) + ": the " + what + " \"" +
                     entries[entry] + "\" is negative");
    return true;
  };
  // Checked here, before anything is allocated for a hyperedge.
  const auto refuseOutside = [&](std::size_t entry, const char* what,
                                 std::int32_t maximum, const char* why) {
    if (refuseNegative(entry, what) || textToInt(entries[entry]) <= maximum) {
      return;
    }
    faults.push_back(lineLabel(entry) + ": the " + what + " \"" +
                     entries[entry] + "\" is above " + std::to_string(maximum) +
                     ", " + why);
  };
  refuseOutside(kOrderEntry, "number of sentence words per hyperedge",
                kMaxOrder, "the most a run takes");
  refuseOutside(kOrder2Entry, "number of image values per hyperedge",
                kMaxOrder2, "the positions of an image");
  refuseNegative(kEpochsEntry, "number of epochs");
  if (!std::isfinite(textToReal(entries[kWeightUpdateEntry]))) {
    faults.push_back(lineLabel(kWeightUpdateEntry) +
                     ": the weight-update parameter \"" +
                     entries[kWeightUpdateEntry] + "\" is not a finite number");
  }
  refuseNegative(kPerLineEntry, "number of hyperedges per pair");
  return faults;
}

}  // namespace hn

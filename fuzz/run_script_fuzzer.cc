// Fuzzes hn_learner's run-script reader, its pre-training checks of the
// entries, and its command line, each against an independent model.

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "learner/driver/command_line.h"
#include "learner/driver/run_script.h"

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

hn::RunScriptEntries parseWithProject(const std::string& script) {
  std::istringstream in(script);
  return hn::parseRunScript(in);
}

// Ten entries: the first blank-separated token of each line, or the entry
// before it when a line has none or is missing.
hn::RunScriptEntries parseWithModel(const std::string& script) {
  const std::vector<std::string> lines = hn::fuzz::splitLines(script);
  hn::RunScriptEntries entries;
  std::string current;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i < lines.size()) {
      const std::string& line = lines[i];
      std::size_t begin = 0;
      while (begin < line.size() && isBlank(line[begin])) ++begin;
      std::size_t end = begin;
      while (end < line.size() && !isBlank(line[end])) ++end;
      if (end > begin) current = line.substr(begin, end - begin);
    }
    entries[i] = current;
  }
  return entries;
}

// The entries that must stop a run: by strtoll, an order (line 2) outside
// 0..60000, an order2 (line 3) outside 0..4800 and negative counts on lines
// 4 and 6; a weight-update parameter on line 5 that strtod reads as
// infinite or not a number.
std::vector<std::size_t> faultLinesByModel(
    const hn::RunScriptEntries& entries) {
  std::vector<std::size_t> lines;
  const auto outside = [](const std::string& entry, std::int32_t maximum) {
    const std::int32_t value = hn::fuzz::strtollInt32(entry);
    return value < 0 || value > maximum;
  };
  if (outside(entries[1], 60000)) lines.push_back(2);
  if (outside(entries[2], 4800)) lines.push_back(3);
  if (hn::fuzz::strtollInt32(entries[3]) < 0) lines.push_back(4);
  if (!std::isfinite(std::strtod(entries[4].c_str(), nullptr))) {
    lines.push_back(5);
  }
  if (hn::fuzz::strtollInt32(entries[5]) < 0) lines.push_back(6);
  return lines;
}

// A number is one to many decimal digits, nothing else, at most `maximum`.
std::optional<unsigned> numberByModel(const std::string& text,
                                      unsigned long long maximum) {
  if (text.empty()) return std::nullopt;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  errno = 0;
  const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
  if (errno == ERANGE || value > maximum) return std::nullopt;
  return static_cast<unsigned>(value);
}

// The options as the usage text gives them: --help (-h), --seed N (0 to
// 2^32 - 1), --threads N (1 to 1024), --literal, --quiet, --whole-records,
// --save-model FILE, --load-model FILE and --continue-from FILE (a name
// that is not empty; --load-model with neither of the others); a later
// option of the same kind wins.
void checkCommandLine(const std::vector<std::string>& arguments) {
  std::string error;
  const std::optional<hn::CommandLine> parsed =
      hn::parseCommandLine(arguments, error);

  hn::CommandLine model;
  bool accepted = true;
  for (std::size_t i = 0; i < arguments.size() && accepted; ++i) {
    const std::string& argument = arguments[i];
    const bool hasNext = i + 1 < arguments.size();
    if (argument == "--help" || argument == "-h") {
      model.help = true;
    } else if (argument == "--literal") {
      model.literal = true;
    } else if (argument == "--quiet") {
      model.quiet = true;
    } else if (argument == "--whole-records") {
      model.flushing = hn::OutputFlushing::kWholeRecords;
    } else if (argument == "--seed" && hasNext) {
      model.seed =
          numberByModel(arguments[++i], std::numeric_limits<unsigned>::max());
      accepted = model.seed.has_value();
    } else if (argument == "--threads" && hasNext) {
      const std::optional<unsigned> threads =
          numberByModel(arguments[++i], 1024);
      accepted = threads.has_value() && *threads >= 1;
      if (accepted) model.threads = *threads;
    } else if ((argument == "--save-model" || argument == "--load-model" ||
                argument == "--continue-from") &&
               hasNext && !arguments[i + 1].empty()) {
      std::optional<std::string>& file =
          argument == "--save-model"   ? model.saveModel
          : argument == "--load-model" ? model.loadModel
                                       : model.continueFrom;
      file = arguments[++i];
    } else {
      accepted = false;
    }
  }
  if (model.loadModel && (model.saveModel || model.continueFrom)) {
    accepted = false;
  }

  HN_FUZZ_CHECK(parsed.has_value() == accepted);
  if (parsed) {
    HN_FUZZ_CHECK(parsed->help == model.help);
    HN_FUZZ_CHECK(parsed->seed == model.seed);
    HN_FUZZ_CHECK(parsed->threads == model.threads);
    HN_FUZZ_CHECK(parsed->literal == model.literal);
    HN_FUZZ_CHECK(parsed->quiet == model.quiet);
    HN_FUZZ_CHECK(parsed->flushing == model.flushing);
    HN_FUZZ_CHECK(parsed->saveModel == model.saveModel);
    HN_FUZZ_CHECK(parsed->loadModel == model.loadModel);
    HN_FUZZ_CHECK(parsed->continueFrom == model.continueFrom);
  } else {
    HN_FUZZ_CHECK(!error.empty());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  FuzzedDataProvider provider(data, size);
  const bool finalReturn = provider.ConsumeBool();
  const std::string script = provider.ConsumeRandomLengthString(size);

  // The reader agrees with the model; no entry holds a blank.
  const hn::RunScriptEntries entries = parseWithProject(script);
  HN_FUZZ_CHECK(entries == parseWithModel(script));
  for (const std::string& entry : entries) {
    for (const char c : entry) HN_FUZZ_CHECK(!isBlank(c));
  }

  // CR LF scripts read as LF scripts do.
  const std::string lf = hn::fuzz::withoutCarriageReturns(script);
  HN_FUZZ_CHECK(parseWithProject(lf) ==
                parseWithProject(hn::fuzz::toCrLf(lf, finalReturn)));

  // The checks before training refuse exactly the model's entries, each
  // with a message naming its line.
  const std::vector<std::string> faults = hn::runScriptFaults(entries);
  const std::vector<std::size_t> faultLines = faultLinesByModel(entries);
  HN_FUZZ_CHECK(faults.size() == faultLines.size());
  for (std::size_t i = 0; i < faults.size() && i < faultLines.size(); ++i) {
    HN_FUZZ_CHECK(faults[i].rfind("line " + std::to_string(faultLines[i]) +
                                      " of configure.txt: ",
                                  0) == 0);
  }

  // The command line: the rest of the input, as up to eight arguments,
  // each an option name or free text.
  static const char* const kOptions[] = {
      "--seed",          "--help",         "--threads", "--literal",
      "--save-model",    "--load-model",   "--quiet",   "-h",
      "--continue-from", "--whole-records"};
  constexpr int kOptionCount = sizeof kOptions / sizeof kOptions[0];
  std::vector<std::string> arguments;
  while (provider.remaining_bytes() > 0 && arguments.size() < 8) {
    const int pick = provider.ConsumeIntegralInRange<int>(0, 2 * kOptionCount);
    if (pick < kOptionCount) {
      arguments.emplace_back(kOptions[pick]);
    } else {
      arguments.push_back(provider.ConsumeRandomLengthString(24));
    }
  }
  checkCommandLine(arguments);
  return 0;
}

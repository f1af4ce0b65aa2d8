// Fuzzes the sentence assembler's record reader and assembly, with either
// seeding: one output line per record, only dictionary words or "<unknown>"
// written, CR LF read as LF, sentences built only of the record's own
// values, and every fragment that the learner writes read back with its
// values and weight; and its command line, which takes --help and
// --whole-first-fragment and nothing else.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "assembler/command_line.h"
#include "assembler/fragment_reader.h"
#include "assembler/record_loop.h"
#include "assembler/sentence_assembly.h"
#include "assembler/sentence_writer.h"
#include "fuzz/fuzz_support.h"
#include "learner/data/hyperedge.h"

namespace {

const std::vector<std::string> kDictionary = {"aa", "w1", "w2", "w3",
                                              "w4", "w5", "w6", "w7"};

std::string assemble(const std::string& input, hn::Seeding seeding) {
  std::istringstream in(input);
  std::ostringstream out;
  hn::assembleRecords(in, kDictionary, out, seeding);
  return out.str();
}

// Records: the first line heads one whatever it holds, and every later
// line that starts with 'l' heads the next.
std::vector<std::vector<std::string>> recordsByModel(const std::string& input) {
  std::vector<std::vector<std::string>> records;
  const std::vector<std::string> lines = hn::fuzz::splitLines(input);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i == 0 || (!lines[i].empty() && lines[i][0] == 'l')) {
      records.emplace_back();
    } else {
      records.back().push_back(lines[i]);
    }
  }
  return records;
}

bool sameWeight(double a, double b) {
  return (std::isnan(a) && std::isnan(b)) || a == b;
}

// A fragment as the learner writes it reads back with the same values and
// the weight that strtod gives for the written weight.
void checkRoundTrip(FuzzedDataProvider& provider) {
  std::vector<std::int32_t> values(provider.ConsumeIntegralInRange<int>(1, 6));
  for (std::int32_t& value : values) {
    value = provider.ConsumeIntegral<std::int32_t>();
  }
  double weight = 0.0;
  switch (provider.ConsumeIntegralInRange<int>(0, 5)) {
    case 0:
      weight = std::numeric_limits<double>::infinity();
      break;
    case 1:
      weight = -std::numeric_limits<double>::infinity();
      break;
    case 2:
      weight = std::numeric_limits<double>::quiet_NaN();
      break;
    default:
      weight = provider.ConsumeFloatingPoint<double>();
      break;
  }
  hn::Hyperedge hyperedge(static_cast<std::uint32_t>(values.size()),
                          values.data());
  hyperedge.weight = weight;
  std::ostringstream line;
  line << hyperedge;
  std::ostringstream weightText;
  weightText << weight;

  const std::optional<hn::Fragment> fragment =
      hn::parseFragmentLine(line.str());
  HN_FUZZ_CHECK(fragment.has_value());
  HN_FUZZ_CHECK(fragment->values == values);
  HN_FUZZ_CHECK(sameWeight(fragment->weight,
                           std::strtod(weightText.str().c_str(), nullptr)));
  // A written infinity is the heaviest weight, never a lost one.
  if (std::isinf(weight) && weight > 0) HN_FUZZ_CHECK(fragment->weight >= 1.0);
}

void checkOutputLine(const std::string& line) {
  if (line.empty()) return;
  HN_FUZZ_CHECK(line.back() == ' ');
  std::istringstream words(line);
  for (std::string word; words >> word;) {
    HN_FUZZ_CHECK(word == hn::kUnknownWord ||
                  std::find(kDictionary.begin(), kDictionary.end(), word) !=
                      kDictionary.end());
  }
}

// Each record's sentence is made of values of its own fragments.
void checkSentences(const std::vector<std::vector<std::string>>& records,
                    hn::Seeding seeding) {
  for (const std::vector<std::string>& record : records) {
    std::vector<hn::Fragment> fragments;
    std::set<std::int32_t> values;
    for (std::string line : record) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::optional<hn::Fragment> fragment = hn::parseFragmentLine(line);
      if (!fragment) continue;
      HN_FUZZ_CHECK(fragment->values.size() ==
                    static_cast<std::size_t>(std::count_if(
                        line.begin(), line.end(),
                        [](char c) { return c == ',' || c == ':'; })));
      if (!(fragment->weight >= 1.0)) continue;
      values.insert(fragment->values.begin(), fragment->values.end());
      fragments.push_back(std::move(*fragment));
    }
    const std::vector<std::int32_t> sentence =
        hn::assembleSentence(fragments, seeding);
    for (const std::int32_t value : sentence) {
      HN_FUZZ_CHECK(values.count(value) == 1);
    }
    // Each extension uses up one fragment: the seed, the first fragment
    // with values, gives n - 1 values (all n when whole) and every other
    // fragment at most one more.
    std::erase_if(fragments,
                  [](const hn::Fragment& f) { return f.values.empty(); });
    if (fragments.empty()) {
      HN_FUZZ_CHECK(sentence.empty());
      continue;
    }
    const std::size_t seeded = seeding == hn::Seeding::kWholeFragment
                                   ? fragments.front().values.size()
                                   : fragments.front().values.size() - 1;
    HN_FUZZ_CHECK(sentence.size() <= seeded + fragments.size() - 1);
    // Whole, the seed stays in the sentence, its values in a row: every
    // extension adds at an end.
    if (seeding == hn::Seeding::kWholeFragment) {
      HN_FUZZ_CHECK(std::search(sentence.begin(), sentence.end(),
                                fragments.front().values.begin(),
                                fragments.front().values.end()) !=
                    sentence.end());
    }
  }
}

// The command line takes --help (or -h) and --whole-first-fragment, each
// as often as given, and nothing else.
void checkCommandLine(FuzzedDataProvider& provider) {
  static const char* const kArguments[] = {"--help",
                                           "-h",
                                           "--whole-first-fragment",
                                           "--bogus",
                                           "-",
                                           "help",
                                           "--help=1",
                                           "",
                                           "--",
                                           "--whole-first",
                                           "--whole-first-fragment=1"};
  constexpr int kLast = static_cast<int>(std::size(kArguments)) - 1;
  std::vector<std::string_view> arguments(
      provider.ConsumeIntegralInRange<int>(0, 3));
  bool accepted = true;
  bool help = false;
  bool whole = false;
  for (std::string_view& argument : arguments) {
    argument = kArguments[provider.ConsumeIntegralInRange<int>(0, kLast)];
    help = help || argument == "--help" || argument == "-h";
    whole = whole || argument == "--whole-first-fragment";
    accepted = accepted && (argument == "--help" || argument == "-h" ||
                            argument == "--whole-first-fragment");
  }
  std::string error;
  const std::optional<hn::AssemblerOptions> options =
      hn::parseAssemblerArguments(arguments, error);
  HN_FUZZ_CHECK(options.has_value() == accepted);
  if (options) {
    HN_FUZZ_CHECK(options->help == help);
    HN_FUZZ_CHECK((options->seeding == hn::Seeding::kWholeFragment) == whole);
  } else {
    HN_FUZZ_CHECK(!error.empty());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  FuzzedDataProvider provider(data, size);
  checkRoundTrip(provider);
  const bool finalReturn = provider.ConsumeBool();
  const hn::Seeding seeding = provider.ConsumeBool()
                                  ? hn::Seeding::kWholeFragment
                                  : hn::Seeding::kAllButLastValue;
  checkCommandLine(provider);
  const std::string input = provider.ConsumeRemainingBytesAsString();

  // Exactly one output line per record, each of known words.
  const std::string output = assemble(input, seeding);
  const std::vector<std::vector<std::string>> records = recordsByModel(input);
  HN_FUZZ_CHECK(static_cast<std::size_t>(std::count(
                    output.begin(), output.end(), '\n')) == records.size());
  HN_FUZZ_CHECK(output.empty() || output.back() == '\n');
  for (const std::string& line : hn::fuzz::splitLines(output)) {
    checkOutputLine(line);
  }
  checkSentences(records, seeding);

  // CR LF input gives the same sentences as LF input.
  const std::string lf = hn::fuzz::withoutCarriageReturns(input);
  HN_FUZZ_CHECK(assemble(lf, seeding) ==
                assemble(hn::fuzz::toCrLf(lf, finalReturn), seeding));
  return 0;
}

#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/sample_data/run_script.h"
#include "tools/sample_data/sample_kind.h"

namespace hn {

// The command line of hn_sample_data.
struct SampleDataOptions {
  std::uint32_t pairCount = 200;
  std::uint32_t seed = 1;
  std::string outputFolder = ".";
  SampleKind kind = SampleKind::kScenes;
  LearnerSettings learner;
  bool helpRequested = false;
};

// Enough for any experiment while keeping a slip of the keyboard from
// filling the disk: one pair takes about 10 kB.
inline constexpr std::uint32_t kMaxPairCount = 100000;

// Parses the arguments after the program name. Returns nothing and sets
// `error` to a one-line explanation when an argument is unknown, lacks its
// value or has a value out of range.
std::optional<SampleDataOptions> parseSampleDataOptions(
    const std::vector<std::string_view>& arguments, std::string& error);

void writeUsage(std::ostream& out);

}  // namespace hn

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "assembler/sentence_assembly.h"

namespace hn {

// sentence_assembler's options. Without any, it runs as it always has: its
// files come from configure.txt and dic.txt in the working directory.
struct AssemblerOptions {
  bool help = false;
  // --whole-first-fragment seeds each sentence with all of its first
  // fragment's values.
  Seeding seeding = Seeding::kAllButLastValue;
};

// Parses the arguments after the program name; nullopt, with the reason in
// `error`, for an argument it does not know. An option is added as a field
// above, a branch in the parser and a line of kAssemblerUsage.
std::optional<AssemblerOptions> parseAssemblerArguments(
    const std::vector<std::string_view>& arguments, std::string& error);

extern const char* const kAssemblerUsage;

}  // namespace hn

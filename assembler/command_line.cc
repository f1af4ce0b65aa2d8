#include "assembler/command_line.h"

namespace hn {

const char* const kAssemblerUsage =
    "usage: sentence_assembler [--whole-first-fragment] [--help]\n"
    "\n"
    "Chains the text fragments that hn_learner wrote into sentences, one\n"
    "line of dictionary words per record. Reads configure.txt in the\n"
    "working directory (line 1: the learner's text output, line 2: the\n"
    "output file) and the dictionary dic.txt (line i: the word of value i).\n"
    "A record's first fragment of n values seeds its sentence with its\n"
    "first n - 1 values; the others extend it where they overlap it in\n"
    "n - 1 values.\n"
    "\n"
    "  --whole-first-fragment\n"
    "                seed with all n values of the first fragment, so that\n"
    "                fragments that chain perfectly come out whole\n"
    "  --help        print this help\n";

std::optional<AssemblerOptions> parseAssemblerArguments(
    const std::vector<std::string_view>& arguments, std::string& error) {
  AssemblerOptions options;
  for (const std::string_view argument : arguments) {
    if (argument == "--help" || argument == "-h") {
      options.help = true;
    } else if (argument == "--whole-first-fragment") {
      options.seeding = Seeding::kWholeFragment;
    } else {
      error = "unknown argument \"" + std::string(argument) + "\"";
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace hn

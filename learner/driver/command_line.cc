#include "learner/driver/command_line.h"

#include <charconv>

namespace hn {
namespace {

std::optional<unsigned> parseSeed(const std::string& text) {
  unsigned seed = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, seed);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return seed;
}

}  // namespace

const char* const kUsage =
    "usage: hn_learner [--seed N]\n"
    "\n"
    "Trains a hypernetwork on the sentence and image files named by\n"
    "configure.txt in the working directory, logs the accuracy of every\n"
    "epoch to standard output and result.txt, and writes the generated text\n"
    "or images to the output file that configure.txt names.\n"
    "\n"
    "  --seed N   seed the random generator with N (0 to 4294967295) instead\n"
    "             of the clock; the same seed and data give the same run\n"
    "  --help     print this help\n";

std::optional<CommandLine> parseCommandLine(
    const std::vector<std::string>& arguments, std::string& error) {
  CommandLine commandLine;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      commandLine.help = true;
    } else if (argument == "--seed") {
      if (i + 1 == arguments.size()) {
        error = "--seed needs a number";
        return std::nullopt;
      }
      commandLine.seed = parseSeed(arguments[++i]);
      if (!commandLine.seed) {
        error = "--seed takes a whole number from 0 to 4294967295, not \"" +
                arguments[i] + "\"";
        return std::nullopt;
      }
    } else {
      error = "unknown argument \"" + argument + "\"";
      return std::nullopt;
    }
  }
  return commandLine;
}

}  // namespace hn

#include "learner/driver/command_line.h"

#include <charconv>

namespace hn {
namespace {

std::optional<unsigned> parseUnsigned(const std::string& text) {
  unsigned number = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return number;
}

constexpr unsigned kMaxThreads = 1024;

}  // namespace

const char* const kUsage =
    "usage: hn_learner [--seed N] [--threads N] [--literal]\n"
    "\n"
    "Trains a hypernetwork on the sentence and image files named by\n"
    "configure.txt in the working directory, logs the accuracy of every\n"
    "epoch to standard output and result.txt, and writes the generated text\n"
    "or images to the output file that configure.txt names.\n"
    "\n"
    "  --seed N   seed the random generator with N (0 to 4294967295) instead\n"
    "             of the clock; the same seed and data give the same run\n"
    "  --threads N  use N threads (1 to 1024; default: one per core) for\n"
    "             the accuracy passes and the final generation; the output\n"
    "             is the same for every N\n"
    "  --literal  compute every query by a full scan of the population, as\n"
    "             plainly as it is defined (slow; the output is the same,\n"
    "             which is what it is for: checking the fast paths)\n"
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
      commandLine.seed = parseUnsigned(arguments[++i]);
      if (!commandLine.seed) {
        error = "--seed takes a whole number from 0 to 4294967295, not \"" +
                arguments[i] + "\"";
        return std::nullopt;
      }
    } else if (argument == "--threads") {
      const std::optional<unsigned> threads =
          i + 1 < arguments.size() ? parseUnsigned(arguments[++i])
                                   : std::nullopt;
      if (!threads || *threads == 0 || *threads > kMaxThreads) {
        error = "--threads takes a whole number from 1 to 1024";
        return std::nullopt;
      }
      commandLine.threads = *threads;
    } else if (argument == "--literal") {
      commandLine.literal = true;
    } else {
      error = "unknown argument \"" + argument + "\"";
      return std::nullopt;
    }
  }
  return commandLine;
}

}  // namespace hn

#include "learner/driver/command_line.h"

#include <algorithm>
#include <charconv>
#include <thread>

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

// The file name after an option; nullopt, with the reason, when missing.
std::optional<std::string> fileAfter(const std::vector<std::string>& arguments,
                                     std::size_t& i, std::string& error) {
  const std::string& option = arguments[i];
  if (i + 1 == arguments.size() || arguments[i + 1].empty()) {
    error = option + " needs a file name";
    return std::nullopt;
  }
  return arguments[++i];
}

}  // namespace

const char* const kUsage =
    "usage: hn_learner [--seed N] [--save-model FILE] [--continue-from FILE]\n"
    "                  [--load-model FILE] [--threads N] [--quiet] "
    "[--literal]\n"
    "                  [--whole-records]\n"
    "\n"
    "Trains a hypernetwork on the sentence and image files named by\n"
    "configure.txt in the working directory, logs the accuracy of every\n"
    "epoch to standard output and result.txt, and writes the generated text\n"
    "or images to the output file that configure.txt names.\n"
    "\n"
    "  --seed N            seed the random generator with N (0 to 4294967295)\n"
    "                      instead of the clock; the same seed and data give\n"
    "                      the same run\n"
    "  --save-model FILE   after training, save the trained population to\n"
    "                      FILE (written whole or not at all)\n"
    "  --load-model FILE   do not train: load the population saved in FILE\n"
    "                      and generate for every line of the data files, in\n"
    "                      the direction configure.txt gives; order and "
    "order2\n"
    "                      come from the model. Image to text needs only the\n"
    "                      image file, text to image only the sentence file:\n"
    "                      name the other as - or leave it out. With both,\n"
    "                      the held-out scores are printed\n"
    "  --continue-from FILE\n"
    "                      train on from the population saved in FILE: the\n"
    "                      initial sampling adds the data's hyperedges to\n"
    "                      it, then the epochs refine it; its order and\n"
    "                      order2 must be configure.txt's. It may be the\n"
    "                      --save-model file, which is then replaced\n"
    "  --threads N         use N threads (1 to 1024; default: one per core)\n"
    "                      for the accuracy passes and the generation; the\n"
    "                      output is the same for every N\n"
    "  --quiet             no progress line on the terminal\n"
    "  --whole-records     write the output file a whole record (\"line : k\"\n"
    "                      and its lines) at a time instead of a line at a\n"
    "                      time: the same bytes, far fewer writes, and a run\n"
    "                      stopped part way (SIGKILL aside) leaves only\n"
    "                      whole records\n"
    "  --literal           answer every query by a full scan of the\n"
    "                      population, as plainly as it is defined: slow, and\n"
    "                      the output is the same; for checking the fast "
    "paths\n"
    "  --help              print this help\n"
    "\n"
    "Progress shows on standard error when it is a terminal and a run\n"
    "takes more than a second.\n"
    "\n"
    "Train once, then caption new images later from the images alone:\n"
    "  hn_learner --save-model trained.model  # lines 7 and 8 of "
    "configure.txt\n"
    "                                         # name the training files\n"
    "  hn_learner --load-model trained.model  # line 7: -, line 8: the new\n"
    "                                         # images; text goes to line 9's\n"
    "                                         # file\n";

unsigned CommandLine::threadCount() const {
  return threads != 0 ? threads
                      : std::max(1u, std::thread::hardware_concurrency());
}

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
    } else if (argument == "--save-model") {
      commandLine.saveModel = fileAfter(arguments, i, error);
      if (!commandLine.saveModel) return std::nullopt;
    } else if (argument == "--load-model") {
      commandLine.loadModel = fileAfter(arguments, i, error);
      if (!commandLine.loadModel) return std::nullopt;
    } else if (argument == "--continue-from") {
      commandLine.continueFrom = fileAfter(arguments, i, error);
      if (!commandLine.continueFrom) return std::nullopt;
    } else if (argument == "--quiet") {
      commandLine.quiet = true;
    } else if (argument == "--whole-records") {
      commandLine.flushing = OutputFlushing::kWholeRecords;
    } else {
      error = "unknown argument \"" + argument + "\"";
      return std::nullopt;
    }
  }
  if (commandLine.saveModel && commandLine.loadModel) {
    error = "--save-model and --load-model cannot be combined";
    return std::nullopt;
  }
  if (commandLine.continueFrom && commandLine.loadModel) {
    error =
        "--continue-from and --load-model cannot be combined: the one "
        "trains, the other does not";
    return std::nullopt;
  }
  return commandLine;
}

}  // namespace hn

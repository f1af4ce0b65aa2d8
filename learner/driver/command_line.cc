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
    "usage: hn_learner [--seed N] [--save-model FILE | --load-model FILE]\n"
    "                  [--quiet]\n"
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
    "  --quiet             no progress line on the terminal\n"
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
    } else if (argument == "--save-model") {
      commandLine.saveModel = fileAfter(arguments, i, error);
      if (!commandLine.saveModel) return std::nullopt;
    } else if (argument == "--load-model") {
      commandLine.loadModel = fileAfter(arguments, i, error);
      if (!commandLine.loadModel) return std::nullopt;
    } else if (argument == "--quiet") {
      commandLine.quiet = true;
    } else {
      error = "unknown argument \"" + argument + "\"";
      return std::nullopt;
    }
  }
  if (commandLine.saveModel && commandLine.loadModel) {
    error = "--save-model and --load-model cannot be combined";
    return std::nullopt;
  }
  return commandLine;
}

}  // namespace hn

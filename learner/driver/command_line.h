#pragma once

#include <optional>
#include <string>
#include <vector>

#include "learner/driver/output_flushing.h"

namespace hn {

// hn_learner's options. Without any, a run behaves as it always has: the
// generator is seeded from the clock.
struct CommandLine {
  std::optional<unsigned> seed;
  // Threads for the phases that only read the population; the output does
  // not depend on it. 0 means one per core.
  unsigned threads = 0;
  // Plain full-scan algorithms instead of the indexed ones, for checking.
  bool literal = false;
  bool help = false;
  // Where to write the trained population after training.
  std::optional<std::string> saveModel;
  // A saved population to generate from instead of training.
  std::optional<std::string> loadModel;
  // A saved population that training goes on from: the initial sampling
  // adds to it instead of to an empty store.
  std::optional<std::string> continueFrom;
  // No progress line on the terminal.
  bool quiet = false;
  // How the output file is written as it is generated.
  OutputFlushing flushing = OutputFlushing::kEveryLine;

  // `threads`, or one per core when it is 0.
  unsigned threadCount() const;
};

// Parses the arguments after the program name; nullopt when they are not
// understood, with the reason in `error`.
std::optional<CommandLine> parseCommandLine(
    const std::vector<std::string>& arguments, std::string& error);

extern const char* const kUsage;

}  // namespace hn

#include <iostream>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/fatal.h"
#include "learner/driver/command_line.h"
#include "learner/driver/exit_status.h"
#include "learner/driver/learning_run.h"
#include "learner/driver/model_run.h"
#include "learner/driver/run_script.h"

namespace {

int learn(int argc, char** argv) {
  std::string error;
  const std::optional<hn::CommandLine> commandLine =
      hn::parseCommandLine({argv + 1, argv + argc}, error);
  if (!commandLine) {
    std::cerr << "hn_learner: " << error << "\n\n" << hn::kUsage;
    return hn::kRefusedStatus;
  }
  if (commandLine->help) {
    std::cout << hn::kUsage;
    return 0;
  }

  bool readable = false;
  const hn::RunScriptEntries entries = hn::readRunScript(readable);
  std::cout << hn::dataFileNames(entries) << '\n' << std::flush;
  if (!readable) {
    std::cerr << "hn_learner: cannot read " << hn::kRunScriptName
              << " in the working directory; nothing was trained\n"
              << std::flush;
    return hn::kFailureStatus;
  }
  if (commandLine->loadModel) {
    hn::ModelRun run(entries, *commandLine);
    return run.execute();
  }
  hn::LearningRun run(entries, *commandLine);
  return run.execute();
}

}  // namespace

int main(int argc, char** argv) {
  hn::exitOnAllocationFailure();
  // A container asked for more than it can ever hold throws instead of
  // calling operator new: that is an allocation failure too.
  try {
    return learn(argc, argv);
  } catch (const std::bad_alloc&) {
    hn::fatal(hn::kAllocationFailure);
  } catch (const std::length_error&) {
    hn::fatal(hn::kAllocationFailure);
  }
}

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
#include "learner/driver/run_lock.h"
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
  if (entries == hn::RunScriptEntries{}) {
    std::cerr << "hn_learner: the run script " << hn::kRunScriptName
              << " is empty; nothing was trained\n"
              << std::flush;
    return 1;
  }
  // Held until the process ends: every file the run writes is written
  // under it, from the checks before training on.
  const hn::RunLock lock(".");
  if (lock.heldElsewhere()) {
    std::cerr << "hn_learner: another hn_learner run is writing in this "
                 "folder: it holds the run lock (an advisory lock on the "
                 "working folder); nothing was trained or written\n"
              << std::flush;
    return 2;
  }
  if (!lock.problem().empty()) {
    std::cerr << "hn_learner: cannot lock the working folder ("
              << lock.problem()
              << "); running without the guard against a second run in it\n"
              << std::flush;
  }
  if (commandLine->loadModel) {
    hn::ModelRun run(entries, *commandLine);
    return run.execute();
  }
  hn::LearningRun run(entries, *commandLine);
  return run.execute();
}

// Standard output carries the run's progress lines: a run whose lines were
// lost (a full disk, a closed pipe) has failed, even if every file was
// written.
int withStandardOutputChecked(int status) {
  std::cout.flush();
  if (std::cout) return status;
  std::cerr << "hn_learner: writing to standard output failed\n" << std::flush;
  return status == 0 ? 1 : status;
}

}  // namespace

int main(int argc, char** argv) {
  hn::exitOnAllocationFailure();
  // A container asked for more than it can ever hold throws instead of
  // calling operator new: that is an allocation failure too.
  try {
    return withStandardOutputChecked(learn(argc, argv));
  } catch (const std::bad_alloc&) {
    hn::fatal(hn::kAllocationFailure);
  } catch (const std::length_error&) {
    hn::fatal(hn::kAllocationFailure);
  }
}

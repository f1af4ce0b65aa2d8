#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "learner/driver/command_line.h"
#include "learner/driver/learning_run.h"
#include "learner/driver/model_run.h"
#include "learner/driver/run_script.h"

int main(int argc, char** argv) {
  std::string error;
  const std::optional<hn::CommandLine> commandLine =
      hn::parseCommandLine({argv + 1, argv + argc}, error);
  if (!commandLine) {
    std::cerr << "hn_learner: " << error << "\n\n" << hn::kUsage;
    return 2;
  }
  if (commandLine->help) {
    std::cout << hn::kUsage;
    return 0;
  }

  const hn::RunScriptEntries entries = hn::readRunScript();
  std::cout << hn::dataFileNames(entries) << '\n' << std::flush;
  if (!std::ifstream("configure.txt")) {
    std::cerr << "hn_learner: cannot read configure.txt in the working "
                 "directory; every run-script entry is empty\n"
              << std::flush;
  }
  if (commandLine->loadModel) {
    hn::ModelRun run(entries, *commandLine->loadModel, commandLine->quiet);
    return run.execute();
  }
  hn::LearningRun run(entries, *commandLine);
  return run.execute();
}

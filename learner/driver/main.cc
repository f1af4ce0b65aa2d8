#include <iostream>

#include "learner/driver/run_script.h"

int main() {
  const hn::RunScriptEntries entries = hn::readRunScript();
  std::cout << hn::dataFileNames(entries) << '\n' << std::flush;
  return 0;
}

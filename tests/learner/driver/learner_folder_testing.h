#pragma once

// Runs the built hn_learner in a fresh folder; shared by the end-to-end
// tests of the driver.
#include "testing/program_folder.h"

namespace hn::testing {

class LearnerFolder : public ProgramFolder {
 public:
  LearnerFolder() : ProgramFolder(HN_LEARNER_PATH, "hn_learner_test") {}
};

}  // namespace hn::testing

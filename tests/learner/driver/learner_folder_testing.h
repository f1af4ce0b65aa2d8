#pragma once

// Runs the built hn_learner in a fresh folder; shared by the end-to-end
// tests of the driver.
#include <string>

#include "testing/program_folder.h"

namespace hn::testing {

class LearnerFolder : public ProgramFolder {
 public:
  LearnerFolder() : ProgramFolder(HN_LEARNER_PATH, "hn_learner_test") {}
};

// Six pairs from `first` on, as s.csv and i.csv, over a small vocabulary
// whose images share most values, so that training reinforces and weights
// become sums of the parameter; different `first`s give data sets that
// share some hyperedges and not others.
inline void writeSixPairs(const LearnerFolder& folder, int first = 0) {
  std::string sentences;
  std::string images;
  for (int pair = first; pair < first + 6; ++pair) {
    for (int word = 0; word < 5; ++word) {
      if (word > 0) sentences += ',';
      sentences += std::to_string((pair + word) % 7);
    }
    sentences += '\n';
    for (int position = 0; position < 4800; ++position) {
      if (position > 0) images += ',';
      images += std::to_string((position / 600 + pair) % 3);
    }
    images += '\n';
  }
  folder.write("s.csv", sentences);
  folder.write("i.csv", images);
}

}  // namespace hn::testing

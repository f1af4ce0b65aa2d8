#pragma once

#include <cstdint>
#include <vector>

namespace hn {

// One fragment line of the learner's text output: a run of word values the
// learner proposes for an image, and how strongly it proposes them.
struct Fragment {
  // Values below 1000 index the dictionary; larger ones are carried along
  // for matching and never written.
  std::vector<std::int32_t> values;
  double weight = 0.0;
};

}  // namespace hn

#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "learner/data/data_set.h"
#include "learner/data/instance_list.h"

namespace hn {

// Pairs handed over as values rather than read from files: row k of the
// data is its sentence and its image. `load` takes them by the rules of the
// CSV reader (see pair_rules.h), with the parameters "order" and "order2",
// so that the same data give the same pairs as the same lines in two files
// would: a sentence without a window, or an image the learner cannot take,
// is skipped with its pair, and pair numbering stays dense.
class InMemoryDataSet : public DataSet {
 public:
  // A pair left out by `load`, and why.
  struct SkippedRow {
    std::size_t row = 0;
    std::string reason;
  };

  // `rows` holds sentence and image alternately, as `instances` does; a
  // last sentence without its image is skipped. When `load` skips nothing,
  // `instances` takes the rows over instead of copying them.
  explicit InMemoryDataSet(InstanceList rows);

  // Takes the pairs once; a later call changes nothing, so the data a
  // caller has checked are the data trained on.
  void load() override;

  // What the first `load` left out, in row order.
  std::vector<SkippedRow> skipped;
  // The first row taken whose sentence holds the wildcard -1, if any.
  std::optional<std::size_t> firstWildcardRow;

 private:
  InstanceList rows;
};

}  // namespace hn

#pragma once

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "learner/data/data_set.h"
#include "learner/data/hyperedge.h"
#include "learner/data/hyperedge_testing.h"
#include "learner/data/simple_stl_map_storage.h"
#include "learner/model/hypernetwork.h"

namespace hn::testing {

// Instances given directly; `load` only marks them loaded.
class MemoryDataSet : public DataSet {
 public:
  explicit MemoryDataSet(std::vector<std::vector<std::int32_t>> data = {}) {
    instances = std::move(data);
    loaded = true;
  }
  void load() override { loaded = true; }
};

// A learner whose typed fields are set directly, wired to a real store and
// an in-memory data set.
struct LearnerFixture {
  LearnerFixture(std::int32_t mode, std::int32_t order, std::int32_t order2,
                 std::vector<std::vector<std::int32_t>> data = {})
      : dataSet(std::move(data)) {
    learner.mode = mode;
    learner.order = order;
    learner.order2 = order2;
    learner.weightUpdateParameter = 0.5;
    learner.storage = &storage;
    learner.dataSet = &dataSet;
  }

  void store(std::initializer_list<std::int32_t> values, double weight) {
    storage.setWeight(edge(values), weight);
  }

  MemoryDataSet dataSet;
  SimpleSTLMapStorage storage;
  Hypernetwork learner;
};

inline std::vector<std::int32_t> filledImage(std::int32_t value) {
  return std::vector<std::int32_t>(kImageSize, value);
}

}  // namespace hn::testing

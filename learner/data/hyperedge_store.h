#pragma once

#include "learner/data/population.h"
#include "learner/data/storage.h"

namespace hn {

// A store that serves both the defined operations and the population by id:
// what a run trains into and its query engine reads. Runs own theirs through
// this type, so that the store's form can be chosen per run.
class HyperedgeStore : public Storage, public Population {
 public:
  ~HyperedgeStore() override = default;
};

}  // namespace hn

#include "learner/driver/training.h"

#include <cstdlib>
#include <utility>

#include "learner/data/data_set.h"

namespace hn {

Training::Training(const TrainingSettings& settings, DataSet& dataSet,
                   std::unique_ptr<HyperedgeStore> store,
                   const EngineMaker& makeEngine)
    : storage(std::move(store)), queries(makeEngine(*storage)) {
  learner.set("mode", "2");
  learner.set("order", settings.order);
  learner.set("order2", settings.order2);
  learner.set("verbose", "1");
  learner.set("maxepoch", settings.maxepoch);
  learner.set("weightUpdateParameter", settings.weightUpdateParameter);
  // The sampler has seeded the generator from the clock by now.
  if (settings.seed) std::srand(*settings.seed);
  sampler.set("perLine", settings.perLine);
  learner.sampler = &sampler;
  learner.storage = storage.get();
  learner.dataSet = &dataSet;
  learner.queries = queries.get();
}

}  // namespace hn

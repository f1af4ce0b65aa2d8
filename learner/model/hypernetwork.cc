#include "learner/model/hypernetwork.h"

#include "learner/data/data_set.h"
#include "learner/model/literal_queries.h"

namespace hn {

Hypernetwork::Hypernetwork() {
  set("mode", "0");
  set("order", "0");
  set("order2", "0");
  set("verbose", "0");
  set("maxepoch", "1");
  set("weightUpdateParameter", "0.5");
}

void Hypernetwork::readParameters() {
  mode = getInt("mode");
  order = getInt("order");
  order2 = getInt("order2");
  verbose = getInt("verbose") == 1;
  maxepoch = static_cast<std::uint32_t>(getInt("maxepoch"));
  weightUpdateParameter = getReal("weightUpdateParameter");
}

std::uint32_t Hypernetwork::hyperedgeLength() const {
  const auto sentenceSlots = static_cast<std::uint32_t>(order);
  switch (mode) {
    case 1:
      return sentenceSlots + 1;
    case 2:
      return sentenceSlots + static_cast<std::uint32_t>(order2);
    default:
      return sentenceSlots;
  }
}

Layout Hypernetwork::layout() const {
  return {static_cast<std::uint32_t>(order),
          static_cast<std::uint32_t>(order2)};
}

Queries& Hypernetwork::engine(std::optional<LiteralQueries>& literal) const {
  if (queries != nullptr) return *queries;
  return literal.emplace(*storage);
}

std::size_t Hypernetwork::instanceCount() const {
  return dataSet->instances.size();
}

std::size_t Hypernetwork::pairCount() const { return instanceCount() / 2; }

InstanceView Hypernetwork::instance(std::size_t index) const {
  if (!dataSet->loaded) dataSet->load();
  return dataSet->instances[index];
}

// A data set that failed to load holds no instances: it is not asked to
// load again, which would report its failure twice.
const InstanceList& Hypernetwork::instances() const {
  if (!dataSet->loaded && !dataSet->instances.empty()) dataSet->load();
  return dataSet->instances;
}

}  // namespace hn

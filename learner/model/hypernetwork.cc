#include "learner/model/hypernetwork.h"

#include "learner/data/data_set.h"

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

std::size_t Hypernetwork::instanceCount() const {
  return dataSet->instances.size();
}

std::size_t Hypernetwork::pairCount() const { return instanceCount() / 2; }

InstanceView Hypernetwork::instance(std::size_t index) const {
  if (!dataSet->loaded) dataSet->load();
  return dataSet->instances[index];
}

}  // namespace hn

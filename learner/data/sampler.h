#pragma once

#include <cstdint>

#include "common/configurable.h"
#include "learner/data/hyperedge.h"

namespace hn {

class DataSet;

// A stream of hyperedges sampled from a data set. Parameter "order": the
// sentence vertices per hyperedge.
class Sampler : public Configurable {
 public:
  Sampler();
  virtual ~Sampler() = default;

  // Reads "order".
  virtual void initialize();
  virtual bool hasNext() = 0;
  // Fills the vertex values of `hyperedge`; its weight is left alone.
  virtual void next(Hyperedge& hyperedge) = 0;

  std::int32_t order = 0;
  // Borrowed; set before `initialize`.
  DataSet* dataSet = nullptr;
};

}  // namespace hn

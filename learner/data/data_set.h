#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/configurable.h"
#include "learner/data/instance_list.h"

namespace hn {

// A source of sentence–image pairs. `instances` holds sentence and image
// alternately: entry 2k is the sentence of pair k, entry 2k+1 its image.
// Readers call `load` first while `loaded` is false.
class DataSet : public Configurable {
 public:
  DataSet();
  virtual ~DataSet() = default;

  virtual void load() = 0;

  // Minimum number of words a sentence needs; parameter "order".
  std::int32_t order = 0;
  // Parameter "filename" as read by the last `load`.
  std::string filename;
  InstanceList instances;
  bool loaded = false;
};

}  // namespace hn

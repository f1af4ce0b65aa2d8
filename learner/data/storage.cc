#include "learner/data/storage.h"

namespace hn {

Storage::Storage() { set("order", "0"); }

void Storage::initialize() { order = getInt("order"); }

}  // namespace hn

#include "learner/data/sampler.h"

namespace hn {

Sampler::Sampler() { set("order", "0"); }

void Sampler::initialize() { order = getInt("order"); }

}  // namespace hn

// Placeholder until the sampler lands.
#include "learner/data/sentence_image_coupling_sampler.h"

namespace hn {

SentenceImageCouplingSampler::SentenceImageCouplingSampler() {}
void SentenceImageCouplingSampler::initialize() {}
bool SentenceImageCouplingSampler::hasNext() { return false; }
void SentenceImageCouplingSampler::next(Hyperedge&) {}

}  // namespace hn

#include "learner/data/sentence_image_coupling_sampler.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "common/fatal.h"
#include "learner/data/data_set.h"
#include "learner/data/image.h"

namespace hn {
namespace {

// The reader only accepts pairs that can give a hyperedge; a data set
// filled some other way may hold a sentence shorter than `order`, an image
// without values while `order2` >= 1, or a sentence without its image.
bool samplable(const InstanceList& instances, std::size_t cursor,
               std::int32_t order, std::int32_t order2) {
  if (cursor + 1 >= instances.size()) return false;
  return instances[cursor].size() >= static_cast<std::size_t>(order) &&
         (order2 == 0 || !instances[cursor + 1].empty());
}

}  // namespace

SentenceImageCouplingSampler::SentenceImageCouplingSampler() {
  set("perLine", "3");
  std::srand(static_cast<unsigned>(std::time(nullptr)));
}

void SentenceImageCouplingSampler::initialize() {
  Sampler::initialize();
  order2 = getInt("order2");
  perLine = static_cast<std::uint32_t>(getInt("perLine"));
}

bool SentenceImageCouplingSampler::hasNext() {
  return dataSet != nullptr && pairCursor < dataSet->instances.size() &&
         samplesFromPair <= perLine;
}

void SentenceImageCouplingSampler::next(Hyperedge& hyperedge) {
  if (!hasNext()) return;
  // A negative part would write outside the vertex array even when the
  // sum matches, so it counts as a mismatch too.
  if (order < 0 || order2 < 0 ||
      hyperedge.vertexCount != static_cast<std::int64_t>(order) + order2) {
    fatal("Order mismatch, check order setting or mode setting");
  }
  if (!dataSet->loaded) dataSet->load();
  const InstanceList& instances = dataSet->instances;

  // Pairs that cannot give a hyperedge are passed over without a draw
  // instead of dividing by zero or reading outside their vectors; when none
  // is left, `hyperedge` stays as it was.
  while (pairCursor < instances.size() &&
         !samplable(instances, pairCursor, order, order2)) {
    samplesFromPair = 0;
    pairCursor += 2;
  }
  if (pairCursor >= instances.size()) return;

  const InstanceView sentence = instances[pairCursor];
  const std::int64_t windows =
      static_cast<std::int64_t>(sentence.size()) - order + 1;
  const std::int64_t start = std::rand() % windows;
  std::copy_n(sentence.begin() + start, order, hyperedge.vertices);

  const InstanceView image = instances[pairCursor + 1];
  for (std::int32_t j = 0; j < order2; ++j) {
    const std::size_t position =
        static_cast<unsigned>(std::rand()) % image.size();
    hyperedge.vertices[order + j] =
        encodeImageVertex(static_cast<std::int32_t>(position), image[position]);
  }

  // With `perLine` 0 the reset count still reaches it, so this walks past
  // every remaining pair: the whole pass yields one hyperedge.
  ++samplesFromPair;
  while (pairCursor < instances.size() && perLine <= samplesFromPair) {
    samplesFromPair = 0;
    pairCursor += 2;
  }
}

}  // namespace hn

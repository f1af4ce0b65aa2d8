#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

#include "learner/data/image.h"
#include "learner/data/storage.h"
#include "learner/model/hypernetwork.h"
#include "learner/model/literal_queries.h"

namespace hn {

void Hypernetwork::reinforce(const Hyperedge& hyperedge) {
  const double weight = storage->getWeight(hyperedge);
  storage->setWeight(hyperedge, weight + weightUpdateParameter);
}

// For a wrong element, the windows that predicting it consulted, in the same
// order, with the true element in place of the wildcard.
void Hypernetwork::updateSequenceWeights() {
  const auto n = static_cast<std::uint32_t>(order);
  for (std::size_t i = 0; i < instanceCount(); ++i) {
    const std::vector<std::int32_t> sequence = instance(i).values();
    const std::size_t length = sequence.size();
    for (std::uint32_t position = 0; position < length; ++position) {
      if (predictElement(sequence, position) == sequence[position]) continue;
      Hyperedge query(n);
      for (std::uint32_t offset = 0; offset < n; ++offset) {
        const std::size_t end = std::size_t{position} + offset;
        if (end + 1 < n || end >= length) continue;
        std::copy_n(sequence.begin() + static_cast<std::ptrdiff_t>(end + 1 - n),
                    n, query.vertices);
        reinforce(query);
      }
    }
  }
}

// For a wrong label, every run of `order` features followed by the label.
void Hypernetwork::updateLabelWeights() {
  const auto n = static_cast<std::uint32_t>(order);
  for (std::size_t i = 0; i < instanceCount(); ++i) {
    const std::vector<std::int32_t> labelled = instance(i).values();
    if (labelled.empty()) continue;  // an instance without its label
    const std::vector<std::int32_t> features(labelled.begin() + 1,
                                             labelled.end());
    const std::int32_t label = labelled.front();
    if (predictLabel(features) == label) continue;
    Hyperedge query(n + 1);
    for (std::size_t start = 0; start + n <= features.size(); ++start) {
      std::copy_n(features.begin() + static_cast<std::ptrdiff_t>(start), n,
                  query.vertices);
      query.vertices[n] = label;
      reinforce(query);
    }
  }
}

// For a pair whose image is generated wrongly, every window of the sentence
// with freshly drawn positions of the true image: `order2` draws of `rand`
// per window.
void Hypernetwork::updateImageWeights() {
  const auto n = static_cast<std::uint32_t>(order);
  const auto m = static_cast<std::uint32_t>(order2);
  std::optional<LiteralQueries> literal;
  Queries& asked = engine(literal);
  for (std::size_t pair = 0; pair < pairCount(); ++pair) {
    reportPairs(pair, pairCount());
    const std::vector<std::int32_t> sentence = instance(2 * pair).values();
    const InstanceView image = instance(2 * pair + 1);
    if (asked.generatesImage(layout(), pair, sentence, imageBufferOf(image))) {
      continue;
    }
    // No position can be drawn from an empty image; the reader never
    // accepts one while image vertices are sampled.
    if (m > 0 && image.empty()) continue;
    Hyperedge query(n + m);
    for (std::size_t start = 0; start + n <= sentence.size(); ++start) {
      std::copy_n(sentence.begin() + static_cast<std::ptrdiff_t>(start), n,
                  query.vertices);
      for (std::uint32_t slot = n; slot < n + m; ++slot) {
        const std::size_t position =
            static_cast<unsigned>(std::rand()) % image.size();
        query.vertices[slot] = encodeImageVertex(
            static_cast<std::int32_t>(position), image[position]);
      }
      reinforce(query);
    }
  }
  reportPairs(pairCount(), pairCount());
}

}  // namespace hn

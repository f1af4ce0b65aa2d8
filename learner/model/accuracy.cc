#include <cstdint>
#include <optional>
#include <vector>

#include "learner/data/image.h"
#include "learner/model/hypernetwork.h"
#include "learner/model/literal_queries.h"

namespace hn {

double Hypernetwork::sequenceAccuracy() const {
  double correct = 0.0;
  double total = 0.0;
  for (std::size_t i = 0; i < instanceCount(); ++i) {
    const std::vector<std::int32_t> sequence = instance(i).values();
    for (std::uint32_t position = 0; position < sequence.size(); ++position) {
      total += 1.0;
      if (predictElement(sequence, position) == sequence[position]) {
        correct += 1.0;
      }
    }
  }
  return correct / total;
}

double Hypernetwork::labelAccuracy() const {
  double correct = 0.0;
  double total = 0.0;
  for (std::size_t i = 0; i < instanceCount(); ++i) {
    const std::vector<std::int32_t> labelled = instance(i).values();
    if (labelled.empty()) continue;  // an instance without its label
    const std::vector<std::int32_t> features(labelled.begin() + 1,
                                             labelled.end());
    total += 1.0;
    if (predictLabel(features) == labelled.front()) correct += 1.0;
  }
  return correct / total;
}

// Per pair, the image generated from its sentence against its image; the
// engine answers for all pairs at once, as it best can.
double Hypernetwork::imageAccuracy() const {
  std::optional<LiteralQueries> literal;
  const std::vector<std::uint32_t> allMismatches =
      engine(literal).imageMismatches(
          layout(), instances(),
          [this](std::size_t done) { reportPairs(done, pairCount()); });
  double sum = 0.0;
  double pairs = 0.0;
  for (const std::uint32_t mismatches : allMismatches) {
    sum += pairAccuracy(mismatches);
    pairs += 1.0;
  }
  return sum / pairs;
}

std::uint32_t Hypernetwork::countDifferences(const std::int32_t* a,
                                             const std::int32_t* b,
                                             std::int32_t count) {
  std::uint32_t differences = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    if (a[i] != b[i]) ++differences;
  }
  return differences;
}

double Hypernetwork::pairAccuracy(std::uint32_t mismatches) {
  return static_cast<double>(kImageSize - mismatches) /
         static_cast<double>(kImageSize);
}

}  // namespace hn

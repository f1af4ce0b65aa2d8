#include <algorithm>
#include <cstdint>
#include <vector>

#include "learner/data/data_set.h"
#include "learner/model/hypernetwork.h"

namespace hn {

double Hypernetwork::sequenceAccuracy() const {
  double correct = 0.0;
  double total = 0.0;
  for (std::size_t i = 0; i < instanceCount(); ++i) {
    const std::vector<std::int32_t>& sequence = instance(i);
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
    const std::vector<std::int32_t>& labelled = instance(i);
    if (labelled.empty()) continue;  // an instance without its label
    const std::vector<std::int32_t> features(labelled.begin() + 1,
                                             labelled.end());
    total += 1.0;
    if (predictLabel(features) == labelled.front()) correct += 1.0;
  }
  return correct / total;
}

double Hypernetwork::imageAccuracy() const {
  double sum = 0.0;
  double pairs = 0.0;
  for (std::size_t pair = 0; pair < pairCount(); ++pair) {
    const std::uint32_t mismatches = imageMismatches(pair);
    sum += static_cast<double>(kImageSize - mismatches) /
           static_cast<double>(kImageSize);
    pairs += 1.0;
    reportPairs(pair + 1, pairCount());
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

std::uint32_t Hypernetwork::imageMismatches(std::size_t pair) const {
  ImageBuffer generated;
  generated.fill(-1);
  generateImage(instance(2 * pair), generated);

  // Positions past a shorter image hold -1, as ungenerated ones do; an image
  // longer than the buffer is compared over the buffer only.
  const std::vector<std::int32_t>& image = instance(2 * pair + 1);
  ImageBuffer reference;
  reference.fill(-1);
  std::copy_n(image.begin(), std::min(image.size(), kImageSize),
              reference.begin());
  return countDifferences(generated.data(), reference.data(),
                          static_cast<std::int32_t>(kImageSize));
}

}  // namespace hn

#include "learner/driver/held_out_score.h"

#include <algorithm>
#include <ostream>

#include "learner/model/hypernetwork.h"

namespace hn {
namespace {

// The assembler keeps the fragments of at least this weight.
constexpr double kAssembledWeight = 1.0;

bool occursIn(const Hyperedge& fragment,
              const std::vector<std::int32_t>& sentence) {
  const std::int32_t* begin = fragment.vertices;
  const std::int32_t* end = begin + fragment.vertexCount;
  return std::search(sentence.begin(), sentence.end(), begin, end) !=
         sentence.end();
}

}  // namespace

void HeldOutScore::addImage(const ImageBuffer& generated,
                            const std::vector<std::int32_t>& truth) {
  const ImageBuffer reference = imageBufferOf(truth);
  accuracySum += Hypernetwork::pairAccuracy(
      Hypernetwork::countDifferences(generated.data(), reference.data(),
                                     static_cast<std::int32_t>(kImageSize)));
  imagePairs += 1.0;

  const std::size_t length = std::min(truth.size(), kImageSize);
  if (length == 0) return;
  const std::uint32_t ownMismatches = Hypernetwork::countDifferences(
      generated.data(), reference.data(), static_cast<std::int32_t>(length));
  ownAccuracySum +=
      static_cast<double>(length - ownMismatches) / static_cast<double>(length);
  ownPositionPairs += 1.0;
}

void HeldOutScore::addText(const std::vector<Hyperedge>& fragments,
                           const std::vector<std::int32_t>& sentence) {
  for (const Hyperedge& fragment : fragments) {
    if (!(fragment.weight >= kAssembledWeight)) continue;
    ++weightyFragments;
    if (occursIn(fragment, sentence)) ++fragmentsFound;
  }
}

double HeldOutScore::imageAccuracy() const { return accuracySum / imagePairs; }

double HeldOutScore::ownPositionsAccuracy() const {
  return ownAccuracySum / ownPositionPairs;
}

void HeldOutScore::writeImageAccuracy(std::ostream& out) const {
  out << "held-out text-to-image accuracy: " << imageAccuracy() << '\n'
      << "held-out text-to-image accuracy over the images' own positions: "
      << ownPositionsAccuracy() << '\n'
      << std::flush;
}

void HeldOutScore::writeTextShare(std::ostream& out) const {
  out << "held-out image-to-text: ";
  if (weightyFragments == 0) {
    out << "no generated fragment weighs 1 or more\n" << std::flush;
    return;
  }
  out << static_cast<double>(fragmentsFound) /
             static_cast<double>(weightyFragments)
      << " of the fragments weighing 1 or more occur in the true sentence ("
      << fragmentsFound << " of " << weightyFragments << ")\n"
      << std::flush;
}

}  // namespace hn

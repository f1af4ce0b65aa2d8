#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <vector>

#include "learner/data/hyperedge.h"
#include "learner/data/image.h"

namespace hn {

// How well a loaded model generates for pairs whose other side is known:
// one figure per direction, summed pair by pair as they are generated.
class HeldOutScore {
 public:
  // Text to image: the share of positions generated right, averaged over
  // pairs exactly as training's accuracy is, so that the same model and
  // data give the same figure. Beside it, the share over the image's own
  // positions alone (0 to its length - 1): past a small image both buffers
  // hold -1, which the first figure counts as right. An image without
  // values has no own position and leaves the second mean alone.
  void addImage(const ImageBuffer& generated,
                const std::vector<std::int32_t>& truth);

  // Image to text: of the fragments weighing 1.0 or more (those the
  // assembler uses), the ones found as consecutive words of the sentence.
  void addText(const std::vector<Hyperedge>& fragments,
               const std::vector<std::int32_t>& sentence);

  // The figures the lines give: the two means of text to image (NaN without
  // a pair to average over), and of image to text the fragments weighing
  // 1.0 or more and how many of them were found.
  double imageAccuracy() const;
  double ownPositionsAccuracy() const;
  std::size_t assembledFragments() const { return weightyFragments; }
  std::size_t assembledFragmentsFound() const { return fragmentsFound; }

  // Labelled lines on `out`: two for text to image (all positions, then
  // the images' own), one for image to text.
  void writeImageAccuracy(std::ostream& out) const;
  void writeTextShare(std::ostream& out) const;

 private:
  double accuracySum = 0.0;
  double imagePairs = 0.0;
  double ownAccuracySum = 0.0;
  double ownPositionPairs = 0.0;
  std::size_t weightyFragments = 0;
  std::size_t fragmentsFound = 0;
};

}  // namespace hn

#pragma once

#include <cstddef>
#include <cstdint>
#include <shared_mutex>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "learner/model/hypernetwork.h"

namespace hn {

// Which hyperedges agree with an image (every image vertex names a value
// the image holds), summed per sentence part, without testing every
// hyperedge against every image.
//
// It keeps a reference image: per position the value most hyperedges hold
// there. A hyperedge all of whose vertices hold reference values agrees
// with every image except those that differ from the reference at one of
// its positions, so per sentence part these are summed once; an image then
// only corrects those sums at the positions where it differs from the
// reference. Hyperedges counted twice there are found through the pairs of
// positions they hold; hyperedges with vertices off the reference are
// looked up through those vertices.
//
// The corrected sums equal sums in any other order only when no partial
// sum rounds: the caller checks that the weights allow it.
class AgreementIndex {
 public:
  // Hyperedge i holds `length` vertices from vertices[i * length], of which
  // the first `sentenceSlots` are its sentence part, numbered partOf[i].
  AgreementIndex(std::span<const std::int32_t> vertices,
                 std::span<const double> weights,
                 std::span<const std::uint32_t> partOf, std::size_t partCount,
                 std::uint32_t sentenceSlots, std::uint32_t length);

  // Per sentence part, the summed weight and the number of the hyperedges
  // that agree with `image`. Returns false, computing nothing, when that
  // would take more than about `budget` steps (an image far from the
  // reference): testing every hyperedge is then cheaper.
  bool trySumAgreeing(const ImageBuffer& image, std::size_t budget,
                      std::vector<double>& weight,
                      std::vector<std::int64_t>& count) const;

 private:
  // Summed hyperedges of one part that hold a position.
  struct PartSum {
    std::uint32_t part;
    std::int64_t count;
    double weight;
  };
  // A hyperedge on the reference that holds two or more positions.
  struct Spread {
    std::uint32_t part;
    double weight;
    std::uint32_t firstPosition;  // into `spreadPositions`
    std::uint32_t positionCount;
  };
  // A hyperedge with vertices off the reference.
  struct Deviant {
    std::uint32_t part;
    double weight;
    std::uint32_t offVertexCount;  // distinct vertices off the reference
    std::uint32_t firstPosition;   // its reference positions, into
    std::uint32_t positionCount;   // `deviantPositions`
  };

  void chooseReference(std::span<const std::int32_t> vertices,
                       std::size_t count);
  void differingPositions(const ImageBuffer& image,
                          std::vector<std::uint32_t>& positions) const;
  void sumOnReference(const std::vector<std::uint32_t>& differing,
                      std::vector<double>& weight,
                      std::vector<std::int64_t>& count) const;
  void subtractTouched(const std::vector<std::uint32_t>& differing,
                       std::vector<double>& weight,
                       std::vector<std::int64_t>& count) const;
  void addBackSpread(const std::vector<std::uint32_t>& differing,
                     std::vector<double>& weight,
                     std::vector<std::int64_t>& count) const;
  void addDeviants(const ImageBuffer& image,
                   const std::vector<std::uint32_t>& differing,
                   std::vector<double>& weight,
                   std::vector<std::int64_t>& count) const;
  static std::size_t pairNumber(std::uint32_t a, std::uint32_t b);

  std::uint32_t sentenceSlots;
  std::uint32_t length;
  // Per position, its reference value; -1 where no hyperedge holds it.
  std::vector<std::int32_t> reference;

  // Sums over the hyperedges on the reference, per part.
  std::vector<double> baseWeight;
  std::vector<std::int64_t> baseCount;
  // Per position p, sums of those that hold p: positionSums[positionStart[p]
  // up to positionStart[p + 1]].
  std::vector<std::uint32_t> positionStart;
  std::vector<PartSum> positionSums;
  // Per pair of positions a < b (numbered by `pairNumber`), the spread
  // hyperedges holding both.
  std::vector<Spread> spreads;
  std::vector<std::uint32_t> spreadPositions;
  std::vector<std::uint32_t> pairStart;
  std::vector<std::uint32_t> pairSpreads;

  std::vector<Deviant> deviants;
  std::vector<std::uint32_t> deviantPositions;
  // Per vertex off the reference, the deviants holding it.
  std::unordered_map<std::int32_t, std::pair<std::uint32_t, std::uint32_t>>
      deviantsOfVertex;
  std::vector<std::uint32_t> deviantList;

  // Sums on the reference by the positions where an image differs from it
  // (their bytes), shared by the threads generating at once.
  struct PartSums {
    std::vector<double> weight;
    std::vector<std::int64_t> count;
  };
  mutable std::shared_mutex onReferenceMutex;
  mutable std::unordered_map<std::string, PartSums> onReferenceSums;
  mutable std::size_t onReferenceBytes = 0;
};

}  // namespace hn

#pragma once

#include <cstddef>
#include <cstdint>
#include <shared_mutex>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "learner/data/image.h"

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
// sum rounds: the caller checks that the weights allow it, or asks with
// `error` for a bound on how far each sum may be from the exact sum of its
// hyperedges' weights.
class AgreementIndex {
 public:
  // Memory for the sums on the reference kept for reuse.
  static constexpr std::size_t kDefaultCacheBudget = std::size_t{64} << 20;

  // Hyperedge i holds `length` vertices from vertices[i * length], of which
  // the first `sentenceSlots` are its sentence part, numbered partOf[i].
  // The three arrays are borrowed and must outlive the index, unchanged.
  // Sums kept for reuse take at most `cacheBudget` bytes.
  AgreementIndex(std::span<const std::int32_t> vertices,
                 std::span<const double> weights,
                 std::span<const std::uint32_t> partOf, std::size_t partCount,
                 std::uint32_t sentenceSlots, std::uint32_t length,
                 std::size_t cacheBudget = kDefaultCacheBudget);

  // Per sentence part, the summed weight and the number of the hyperedges
  // that agree with `image`. Returns false, computing nothing, when that
  // would take more than about `budget` steps (an image far from the
  // reference): testing every hyperedge is then cheaper.
  // With `error`, it also receives per part an upper bound on how far
  // its weight is from the exact sum of the agreeing weights (0 where no
  // addition rounded).
  bool trySumAgreeing(const ImageBuffer& image, std::size_t budget,
                      std::vector<double>& weight,
                      std::vector<std::int64_t>& count,
                      std::vector<double>* error = nullptr) const;

  // About how many hyperedges on the reference agree with `image`: those
  // that hold none of the positions where it differs from the reference,
  // were their positions spread evenly. What matching the image by any
  // other way than this index would at least cost.
  double estimatedAgreeing(const ImageBuffer& image) const;

  // The bytes that sums kept for reuse take now.
  std::size_t cachedBytes() const;

 private:
  // Summed hyperedges of one part that hold a position.
  struct PartSum {
    std::uint32_t part;
    std::int64_t count;
    double weight;
    double error;  // of `weight` from the exact sum
  };
  // A hyperedge with vertices off the reference.
  struct Deviant {
    std::uint32_t part;
    double weight;
    std::uint32_t offVertexCount;  // distinct vertices off the reference
    std::uint32_t firstPosition;   // its reference positions, into
    std::uint32_t positionCount;   // `deviantPositions`
  };

  // An image vertex of a hyperedge.
  struct Slot {
    std::uint32_t position;
    std::int32_t value;
    bool operator<(const Slot& other) const {
      return position != other.position ? position < other.position
                                        : value < other.value;
    }
    bool operator==(const Slot&) const = default;
  };
  // What the construction gathers before laying it out.
  struct Build {
    // (position * partCount + part) -> index into `sums`.
    std::unordered_map<std::uint64_t, std::uint32_t> sumOf;
    std::vector<std::pair<std::uint64_t, PartSum>> sums;
    // The hyperedges on the reference that hold two or more positions.
    std::vector<std::uint32_t> spreads;
    // (vertex off the reference, deviant number)
    std::vector<std::pair<std::int32_t, std::uint32_t>> offVertices;
  };

  static std::vector<Slot> distinctSlots(
      std::span<const std::int32_t> imageVertices);
  void chooseReference(std::span<const std::int32_t> vertices,
                       std::size_t count);
  void addHyperedge(const std::vector<Slot>& slots, std::uint32_t hyperedge,
                    std::size_t partCount, Build& build);
  void addDeviant(const std::vector<std::uint32_t>& onReference,
                  const std::vector<Slot>& off, std::uint32_t part,
                  double weight, Build& build);
  void spreadPositionsOf(std::uint32_t hyperedge,
                         std::vector<std::uint32_t>& positions) const;
  void indexPositionSums(Build& build, std::size_t partCount);
  template <typename Visit>
  void forEachSpreadPair(const Build& build, const Visit& visit) const;
  void indexSpreadPairs(const Build& build);
  void indexDeviantVertices(Build& build);
  void differingPositions(const ImageBuffer& image,
                          std::vector<std::uint32_t>& positions) const;
  void sumOnReference(const std::vector<std::uint32_t>& differing,
                      std::vector<double>& weight,
                      std::vector<std::int64_t>& count,
                      std::vector<double>* error) const;
  void subtractTouched(const std::vector<std::uint32_t>& differing,
                       std::vector<double>& weight,
                       std::vector<std::int64_t>& count,
                       std::vector<double>* error) const;
  void addBackSpread(const std::vector<std::uint32_t>& differing,
                     std::vector<double>& weight,
                     std::vector<std::int64_t>& count,
                     std::vector<double>* error) const;
  std::size_t findDeviantLists(
      const ImageBuffer& image, const std::vector<std::uint32_t>& differing,
      std::vector<std::pair<std::uint32_t, std::uint32_t>>& lists) const;
  void addDeviants(
      const std::vector<std::pair<std::uint32_t, std::uint32_t>>& lists,
      std::vector<double>& weight, std::vector<std::int64_t>& count,
      std::vector<double>* error) const;
  // weight += term, with `error` (when given) keeping its bound.
  static void add(double& weight, double term, double termError, double* error);
  static std::size_t pairNumber(std::uint32_t a, std::uint32_t b);

  std::uint32_t sentenceSlots;
  std::uint32_t length;
  std::span<const std::int32_t> hyperedgeVertices;
  std::span<const double> hyperedgeWeights;
  std::span<const std::uint32_t> hyperedgeParts;
  std::size_t cacheBudget;
  // Per position, its reference value; -1 where no hyperedge holds it.
  std::vector<std::int32_t> reference;

  // Sums over the hyperedges on the reference, per part.
  std::vector<double> baseWeight;
  std::vector<std::int64_t> baseCount;
  std::vector<double> baseError;
  double baseTotal = 0;
  std::size_t referencePositions = 0;
  // Per position p, sums of those that hold p: positionSums[positionStart[p]
  // up to positionStart[p + 1]].
  std::vector<std::uint32_t> positionStart;
  std::vector<PartSum> positionSums;
  // Per pair of positions a < b (numbered by `pairNumber`), the spread
  // hyperedges holding both, by number, read from the borrowed arrays
  // rather than copied: they are most of the population.
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
    std::vector<double> error;
  };
  mutable std::shared_mutex onReferenceMutex;
  mutable std::unordered_map<std::string, PartSums> onReferenceSums;
  mutable std::size_t onReferenceBytes = 0;
};

}  // namespace hn

#include "learner/index/agreement_index.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <utility>

#include "learner/data/image.h"
#include "learner/index/exact_sum.h"

namespace hn {
namespace {

constexpr std::size_t kPositions = kImageSize;
constexpr std::size_t kPairCount = kPositions * (kPositions - 1) / 2;

}  // namespace

// The distinct (position, value) vertices of a hyperedge's image slots, by
// position; empty when the hyperedge can agree with no image (a vertex
// outside the image, or two values for one position).
std::vector<AgreementIndex::Slot> AgreementIndex::distinctSlots(
    std::span<const std::int32_t> imageVertices) {
  std::vector<Slot> slots;
  for (const std::int32_t vertex : imageVertices) {
    const std::int32_t position = imageVertexPosition(vertex);
    if (!isImagePosition(position)) return {};
    slots.push_back(
        {static_cast<std::uint32_t>(position), imageVertexValue(vertex)});
  }
  std::sort(slots.begin(), slots.end());
  slots.erase(std::unique(slots.begin(), slots.end()), slots.end());
  for (std::size_t i = 1; i < slots.size(); ++i) {
    if (slots[i].position == slots[i - 1].position) return {};
  }
  return slots;
}

namespace {

// Per-thread working space of `trySumAgreeing`.
struct Scratch {
  std::vector<char> differs = std::vector<char>(kPositions, 0);
  std::vector<std::uint32_t> hits;
  std::vector<std::uint32_t> stamp;
  std::uint32_t current = 0;
  std::vector<std::uint32_t> positions;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> deviantLists;
  std::vector<std::uint32_t> spreadPositions;
};

Scratch& scratch() {
  thread_local Scratch space;
  return space;
}

}  // namespace

AgreementIndex::AgreementIndex(std::span<const std::int32_t> vertices,
                               std::span<const double> weights,
                               std::span<const std::uint32_t> partOf,
                               std::size_t partCount,
                               std::uint32_t sentenceSlots,
                               std::uint32_t length, std::size_t cacheBudget)
    : sentenceSlots(sentenceSlots),
      length(length),
      hyperedgeVertices(vertices),
      hyperedgeWeights(weights),
      hyperedgeParts(partOf),
      cacheBudget(cacheBudget),
      baseWeight(partCount, 0.0),
      baseCount(partCount, 0),
      baseError(partCount, 0.0) {
  chooseReference(vertices, weights.size());
  Build build;
  for (std::size_t i = 0; i < weights.size(); ++i) {
    const std::vector<Slot> slots = distinctSlots(
        vertices.subspan(i * length + sentenceSlots, length - sentenceSlots));
    if (slots.empty() && length > sentenceSlots) continue;
    addHyperedge(slots, static_cast<std::uint32_t>(i), partCount, build);
  }
  indexPositionSums(build, partCount);
  for (const std::int64_t count : baseCount) {
    baseTotal += static_cast<double>(count);
  }
  referencePositions = static_cast<std::size_t>(
      std::count_if(reference.begin(), reference.end(),
                    [](std::int32_t value) { return value != -1; }));
  indexSpreadPairs(build);
  indexDeviantVertices(build);
}

// Sorts a hyperedge by where its vertices lie: all on the reference (summed
// per part, per position and, when it holds several positions, per pair of
// them) or some off it (a deviant).
void AgreementIndex::addHyperedge(const std::vector<Slot>& slots,
                                  std::uint32_t hyperedge,
                                  std::size_t partCount, Build& build) {
  const std::uint32_t part = hyperedgeParts[hyperedge];
  const double weight = hyperedgeWeights[hyperedge];
  std::vector<std::uint32_t> onReference;
  std::vector<Slot> off;
  for (const Slot& slot : slots) {
    if (slot.value == reference[slot.position]) {
      onReference.push_back(slot.position);
    } else {
      off.push_back(slot);
    }
  }
  if (!off.empty()) {
    addDeviant(onReference, off, part, weight, build);
    return;
  }
  add(baseWeight[part], weight, 0.0, &baseError[part]);
  baseCount[part] += 1;
  for (const std::uint32_t position : onReference) {
    const std::uint64_t key = std::uint64_t{position} * partCount + part;
    const auto [entry, added] = build.sumOf.try_emplace(
        key, static_cast<std::uint32_t>(build.sums.size()));
    if (added) build.sums.push_back({key, {part, 0, 0.0, 0.0}});
    PartSum& sum = build.sums[entry->second].second;
    sum.count += 1;
    add(sum.weight, weight, 0.0, &sum.error);
  }
  if (onReference.size() >= 2) build.spreads.push_back(hyperedge);
}

void AgreementIndex::addDeviant(const std::vector<std::uint32_t>& onReference,
                                const std::vector<Slot>& off,
                                std::uint32_t part, double weight,
                                Build& build) {
  const auto number = static_cast<std::uint32_t>(deviants.size());
  deviants.push_back({part, weight, static_cast<std::uint32_t>(off.size()),
                      static_cast<std::uint32_t>(deviantPositions.size()),
                      static_cast<std::uint32_t>(onReference.size())});
  deviantPositions.insert(deviantPositions.end(), onReference.begin(),
                          onReference.end());
  for (const Slot& slot : off) {
    build.offVertices.emplace_back(
        encodeImageVertex(static_cast<std::int32_t>(slot.position), slot.value),
        number);
  }
}

// The distinct positions of a spread hyperedge, ascending: all of its
// vertices lie on the reference, so a position repeats only with its value.
void AgreementIndex::spreadPositionsOf(
    std::uint32_t hyperedge, std::vector<std::uint32_t>& positions) const {
  positions.clear();
  const std::size_t first = std::size_t{hyperedge} * length + sentenceSlots;
  for (std::size_t i = first; i < first + (length - sentenceSlots); ++i) {
    positions.push_back(
        static_cast<std::uint32_t>(imageVertexPosition(hyperedgeVertices[i])));
  }
  std::sort(positions.begin(), positions.end());
  positions.erase(std::unique(positions.begin(), positions.end()),
                  positions.end());
}

// Calls `visit(pair, hyperedge)` for every pair of positions of every
// spread, spreads in order.
template <typename Visit>
void AgreementIndex::forEachSpreadPair(const Build& build,
                                       const Visit& visit) const {
  std::vector<std::uint32_t> positions;
  for (const std::uint32_t hyperedge : build.spreads) {
    spreadPositionsOf(hyperedge, positions);
    for (std::size_t a = 0; a < positions.size(); ++a) {
      for (std::size_t b = a + 1; b < positions.size(); ++b) {
        visit(pairNumber(positions[a], positions[b]), hyperedge);
      }
    }
  }
}

// The per-part sums of each position, laid out position by position.
void AgreementIndex::indexPositionSums(Build& build, std::size_t partCount) {
  std::sort(build.sums.begin(), build.sums.end(),
            [](const auto& x, const auto& y) { return x.first < y.first; });
  positionStart.assign(kPositions + 1, 0);
  for (const auto& [key, sum] : build.sums) {
    ++positionStart[key / partCount + 1];
    positionSums.push_back(sum);
  }
  for (std::size_t p = 0; p < kPositions; ++p) {
    positionStart[p + 1] += positionStart[p];
  }
}

// The spread hyperedges of each pair of positions, by a counting sort on
// the pair number: one pass over the spreads to count, one to place, so
// that the pairs are never held in a list of their own.
void AgreementIndex::indexSpreadPairs(const Build& build) {
  if (build.spreads.empty()) return;
  pairStart.assign(kPairCount + 1, 0);
  forEachSpreadPair(build, [this](std::size_t pair, std::uint32_t) {
    ++pairStart[pair + 1];
  });
  for (std::size_t p = 0; p < kPairCount; ++p) pairStart[p + 1] += pairStart[p];
  pairSpreads.resize(pairStart[kPairCount]);
  forEachSpreadPair(build, [this](std::size_t pair, std::uint32_t hyperedge) {
    pairSpreads[pairStart[pair]++] = hyperedge;
  });
  // Each start advanced to the next pair's start: move them back.
  for (std::size_t p = kPairCount; p > 0; --p) pairStart[p] = pairStart[p - 1];
  pairStart[0] = 0;
}

// The deviants holding each vertex off the reference.
void AgreementIndex::indexDeviantVertices(Build& build) {
  std::vector<std::pair<std::int32_t, std::uint32_t>>& offVertices =
      build.offVertices;
  std::sort(offVertices.begin(), offVertices.end());
  for (std::size_t i = 0; i < offVertices.size();) {
    std::size_t end = i;
    while (end < offVertices.size() &&
           offVertices[end].first == offVertices[i].first) {
      deviantList.push_back(offVertices[end++].second);
    }
    deviantsOfVertex.emplace(
        offVertices[i].first,
        std::pair{static_cast<std::uint32_t>(deviantList.size() - (end - i)),
                  static_cast<std::uint32_t>(deviantList.size())});
    i = end;
  }
}

// The value most image slots hold at each position; of equally common
// values the smallest.
void AgreementIndex::chooseReference(std::span<const std::int32_t> vertices,
                                     std::size_t count) {
  std::unordered_map<std::int32_t, std::uint32_t> slotsOf;
  for (std::size_t i = 0; i < count; ++i) {
    for (std::uint32_t slot = sentenceSlots; slot < length; ++slot) {
      ++slotsOf[vertices[i * length + slot]];
    }
  }
  reference.assign(kPositions, -1);
  std::vector<std::uint32_t> bestCount(kPositions, 0);
  for (const auto& [vertex, slots] : slotsOf) {
    const std::int32_t position = imageVertexPosition(vertex);
    if (!isImagePosition(position)) continue;
    const std::int32_t value = imageVertexValue(vertex);
    const auto p = static_cast<std::size_t>(position);
    if (slots > bestCount[p] ||
        (slots == bestCount[p] && value < reference[p])) {
      bestCount[p] = slots;
      reference[p] = value;
    }
  }
}

double AgreementIndex::estimatedAgreeing(const ImageBuffer& image) const {
  std::size_t differing = 0;
  for (std::uint32_t p = 0; p < kPositions; ++p) {
    differing += reference[p] != -1 && image[p] != reference[p];
  }
  const double kept =
      referencePositions == 0
          ? 1.0
          : 1.0 - static_cast<double>(differing) / referencePositions;
  return baseTotal *
         std::pow(kept, static_cast<double>(length - sentenceSlots));
}

std::size_t AgreementIndex::cachedBytes() const {
  const std::shared_lock lock(onReferenceMutex);
  return onReferenceBytes;
}

std::size_t AgreementIndex::pairNumber(std::uint32_t a, std::uint32_t b) {
  return std::size_t{a} * (2 * kPositions - a - 1) / 2 + (b - a - 1);
}

void AgreementIndex::differingPositions(
    const ImageBuffer& image, std::vector<std::uint32_t>& positions) const {
  positions.clear();
  for (std::uint32_t p = 0; p < kPositions; ++p) {
    if (reference[p] != -1 && image[p] != reference[p]) positions.push_back(p);
  }
}

void AgreementIndex::add(double& weight, double term, double termError,
                         double* error) {
  const double sum = weight + term;
  if (error != nullptr) {
    const double rounding = sumError(weight, term, sum);
    *error =
        addUp(addUp(*error, termError), rounding < 0 ? -rounding : rounding);
  }
  weight = sum;
}

bool AgreementIndex::trySumAgreeing(const ImageBuffer& image,
                                    std::size_t budget,
                                    std::vector<double>& weight,
                                    std::vector<std::int64_t>& count,
                                    std::vector<double>* error) const {
  Scratch& space = scratch();
  std::vector<std::uint32_t>& differing = space.positions;
  differingPositions(image, differing);
  std::size_t cost = differing.size() * differing.size() / 2;
  for (const std::uint32_t p : differing) {
    cost += positionStart[p + 1] - positionStart[p];
  }
  if (cost > budget) return false;
  cost += findDeviantLists(image, differing, space.deviantLists);
  if (cost > budget) return false;

  for (const std::uint32_t p : differing) space.differs[p] = 1;
  sumOnReference(differing, weight, count, error);
  addDeviants(space.deviantLists, weight, count, error);
  for (const std::uint32_t p : differing) space.differs[p] = 0;
  return true;
}

// The deviants holding a vertex of the image at a differing position, as
// ranges of `deviantList`; returns how many they are.
std::size_t AgreementIndex::findDeviantLists(
    const ImageBuffer& image, const std::vector<std::uint32_t>& differing,
    std::vector<std::pair<std::uint32_t, std::uint32_t>>& lists) const {
  lists.clear();
  std::size_t total = 0;
  if (deviants.empty()) return 0;
  for (const std::uint32_t p : differing) {
    if (image[p] < 0) continue;
    const auto found = deviantsOfVertex.find(
        encodeImageVertex(static_cast<std::int32_t>(p), image[p]));
    if (found == deviantsOfVertex.end()) continue;
    lists.push_back(found->second);
    total += found->second.second - found->second.first;
  }
  return total;
}

// What the hyperedges on the reference add up to depends only on where the
// image differs from it, and images often differ in the same places (the
// same shape in another colour): those sums are kept for reuse, up to a
// bound on their memory.
void AgreementIndex::sumOnReference(const std::vector<std::uint32_t>& differing,
                                    std::vector<double>& weight,
                                    std::vector<std::int64_t>& count,
                                    std::vector<double>* error) const {
  const std::string key(reinterpret_cast<const char*>(differing.data()),
                        differing.size() * sizeof differing.front());
  {
    const std::shared_lock lock(onReferenceMutex);
    // Sums kept without their errors serve only callers that ask none.
    if (const auto known = onReferenceSums.find(key);
        known != onReferenceSums.end() &&
        (error == nullptr || !known->second.error.empty())) {
      weight = known->second.weight;
      count = known->second.count;
      if (error != nullptr) *error = known->second.error;
      return;
    }
  }
  weight = baseWeight;
  count = baseCount;
  std::vector<double> none;
  if (error != nullptr) *error = baseError;
  subtractTouched(differing, weight, count, error);
  addBackSpread(differing, weight, count, error);
  std::size_t bytes =
      key.size() + weight.size() * (sizeof(double) + sizeof(std::int64_t));
  if (error != nullptr) bytes += weight.size() * sizeof(double);
  const std::unique_lock lock(onReferenceMutex);
  if (onReferenceBytes + bytes > cacheBudget) return;
  if (onReferenceSums
          .try_emplace(
              key, PartSums{weight, count, error != nullptr ? *error : none})
          .second) {
    onReferenceBytes += bytes;
  }
}

// Hyperedges on the reference that hold a differing position disagree.
void AgreementIndex::subtractTouched(
    const std::vector<std::uint32_t>& differing, std::vector<double>& weight,
    std::vector<std::int64_t>& count, std::vector<double>* error) const {
  for (const std::uint32_t p : differing) {
    for (std::uint32_t i = positionStart[p]; i < positionStart[p + 1]; ++i) {
      const PartSum& sum = positionSums[i];
      if (error != nullptr) {
        add(weight[sum.part], -sum.weight, sum.error, &(*error)[sum.part]);
      } else {
        weight[sum.part] -= sum.weight;
      }
      count[sum.part] -= sum.count;
    }
  }
}

// A hyperedge holding k differing positions was subtracted k times; it is
// found once, through the pair of its first two differing positions.
void AgreementIndex::addBackSpread(const std::vector<std::uint32_t>& differing,
                                   std::vector<double>& weight,
                                   std::vector<std::int64_t>& count,
                                   std::vector<double>* error) const {
  if (pairSpreads.empty()) return;
  Scratch& space = scratch();
  const std::vector<char>& differs = space.differs;
  std::vector<std::uint32_t>& positions = space.spreadPositions;
  for (std::size_t a = 0; a < differing.size(); ++a) {
    for (std::size_t b = a + 1; b < differing.size(); ++b) {
      const std::size_t pair = pairNumber(differing[a], differing[b]);
      for (std::uint32_t i = pairStart[pair]; i < pairStart[pair + 1]; ++i) {
        const std::uint32_t hyperedge = pairSpreads[i];
        spreadPositionsOf(hyperedge, positions);
        std::uint32_t held = 0;
        std::uint32_t first[2] = {0, 0};
        for (const std::uint32_t position : positions) {
          if (!differs[position]) continue;
          if (held < 2) first[held] = position;
          ++held;
        }
        if (first[0] != differing[a] || first[1] != differing[b]) continue;
        const std::uint32_t part = hyperedgeParts[hyperedge];
        const double spreadWeight = hyperedgeWeights[hyperedge];
        if (error != nullptr) {
          // Added one at a time, so that each addition's error is known.
          for (std::uint32_t k = 1; k < held; ++k) {
            add(weight[part], spreadWeight, 0.0, &(*error)[part]);
          }
        } else {
          weight[part] += (held - 1) * spreadWeight;
        }
        count[part] += held - 1;
      }
    }
  }
}

// A hyperedge off the reference agrees when the image holds every one of
// its off-reference vertices and differs at none of its other positions.
void AgreementIndex::addDeviants(
    const std::vector<std::pair<std::uint32_t, std::uint32_t>>& lists,
    std::vector<double>& weight, std::vector<std::int64_t>& count,
    std::vector<double>* error) const {
  Scratch& space = scratch();
  if (space.hits.size() < deviants.size()) {
    space.hits.resize(deviants.size());
    space.stamp.resize(deviants.size(), 0);
  }
  if (++space.current == 0) {
    std::fill(space.stamp.begin(), space.stamp.end(), 0);
    space.current = 1;
  }
  for (const auto& [begin, end] : lists) {
    for (std::uint32_t i = begin; i < end; ++i) {
      const std::uint32_t number = deviantList[i];
      if (space.stamp[number] != space.current) {
        space.stamp[number] = space.current;
        space.hits[number] = 0;
      }
      const Deviant& deviant = deviants[number];
      if (++space.hits[number] != deviant.offVertexCount) continue;
      const auto positions =
          std::span(deviantPositions)
              .subspan(deviant.firstPosition, deviant.positionCount);
      if (std::any_of(positions.begin(), positions.end(),
                      [&space](std::uint32_t q) { return space.differs[q]; })) {
        continue;
      }
      if (error != nullptr) {
        add(weight[deviant.part], deviant.weight, 0.0, &(*error)[deviant.part]);
      } else {
        weight[deviant.part] += deviant.weight;
      }
      count[deviant.part] += 1;
    }
  }
}

}  // namespace hn

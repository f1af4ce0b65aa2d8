#include "learner/index/text_generator.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <span>
#include <string_view>

#include "learner/data/population.h"
#include "learner/index/exact_sum.h"

namespace hn {

namespace {

// A fragment weight as it is printed: six significant digits.
std::string_view printed(double weight, char (&digits)[32]) {
  const auto end = std::to_chars(digits, digits + sizeof digits, weight,
                                 std::chars_format::general, 6)
                       .ptr;
  return {digits, static_cast<std::size_t>(end - digits)};
}

// Whether every weight from `low` to `high` prints alike and lies on the
// same side of 1, the weight from which fragments are assembled.
bool printsAlike(double low, double high) {
  if ((low >= 1.0) != (high >= 1.0)) return false;
  char lowDigits[32];
  char highDigits[32];
  return printed(low, lowDigits) == printed(high, highDigits);
}

}  // namespace

TextGenerator::TextGenerator(const Population& population,
                             std::uint32_t sentenceSlots,
                             std::uint32_t imageSlots, bool indexed,
                             FallbackCounts* counts, bool exactWeights)
    : sentenceSlots(sentenceSlots),
      imageSlots(imageSlots),
      counts(counts),
      exactWeights(exactWeights) {
  // Sized once: growing by doubling would hold two copies for a moment.
  imageVertices.reserve(population.size() * imageSlots);
  weights.reserve(population.size());
  partOf.reserve(population.size());
  population.forEachInVertexOrder([&](HyperedgeId, HyperedgeView stored) {
    // Only hyperedges of the run's layout can be read slot by slot.
    if (stored.vertices.size() != sentenceSlots + imageSlots) return;
    const std::int32_t* part = stored.vertices.data();
    if (firstOfPart.empty() || !std::equal(part, part + sentenceSlots,
                                           partWords.end() - sentenceSlots)) {
      firstOfPart.push_back(static_cast<std::uint32_t>(weights.size()));
      partWords.insert(partWords.end(), part, part + sentenceSlots);
      if (holdsWildcard({part, sentenceSlots})) partsHoldWildcards = true;
    }
    partOf.push_back(static_cast<std::uint32_t>(firstOfPart.size() - 1));
    imageVertices.insert(imageVertices.end(),
                         stored.vertices.begin() + sentenceSlots,
                         stored.vertices.end());
    weights.push_back(stored.weight);
  });
  holdsNegativeZero = std::any_of(weights.begin(), weights.end(), [](double w) {
    return w == 0.0 && std::signbit(w);
  });
  if (!indexed || partsHoldWildcards || imageSlots == 0) return;
  // The indexes see the image slots alone, as hyperedges without words.
  postings = std::make_unique<VertexPostings>(imageVertices, weights.size(), 0,
                                              imageSlots);
  batchable = true;
  // The index marks a position no hyperedge holds with -1, so it cannot
  // tell a vertex that names no value there (-1 at position 0).
  if (holdsNoValueVertex()) return;
  if (!sumsExact()) {
    if (!std::all_of(weights.begin(), weights.end(),
                     [](double w) { return std::isfinite(w); })) {
      return;
    }
    bounded = true;
    partMagnitude.assign(firstOfPart.size(), 0.0);
    partFractionBits.assign(firstOfPart.size(), 0);
    for (std::size_t i = 0; i < weights.size(); ++i) {
      partMagnitude[partOf[i]] =
          addUp(partMagnitude[partOf[i]], std::fabs(weights[i]));
      partFractionBits[partOf[i]] =
          std::max(partFractionBits[partOf[i]], fractionBitsOf(weights[i]));
    }
  }
  index = std::make_unique<AgreementIndex>(imageVertices, weights, partOf,
                                           firstOfPart.size(), 0, imageSlots);
}

// At most one step per image vertex and one per position, without
// building the matcher to count them.
std::size_t TextGenerator::batchPassSteps() const {
  return weights.size() * imageSlots + kImageSize;
}

// Built when an image first needs it: images near a common background
// never do, and it takes 16 bytes a hyperedge.
const BatchMatcher& TextGenerator::batchMatcher() const {
  std::call_once(matcherBuilt, [this] {
    matcher = std::make_unique<BatchMatcher>(imageVertices, weights.size(), 0,
                                             imageSlots);
  });
  return *matcher;
}

bool TextGenerator::holdsNoValueVertex() const {
  for (std::size_t i = 0; i < weights.size(); ++i) {
    for (std::uint32_t slot = 0; slot < imageSlots; ++slot) {
      const std::int32_t vertex = imageVertices[i * imageSlots + slot];
      if (isImagePosition(imageVertexPosition(vertex)) &&
          imageVertexValue(vertex) < 0) {
        return true;
      }
    }
  }
  return false;
}

// The index adds and subtracts each weight up to about twice per image
// slot; those partial sums must not round.
bool TextGenerator::sumsExact() const {
  int fractionBits = 0;
  double magnitude = 0.0;
  for (const double weight : weights) {
    if (!std::isfinite(weight)) return false;
    fractionBits = std::max(fractionBits, fractionBitsOf(weight));
    magnitude += std::fabs(weight);
  }
  return sumsStayExact(fractionBits,
                       2.0 * (2.0 * imageSlots + 2.0) * magnitude);
}

void TextGenerator::generate(const ImageBuffer& image,
                             std::vector<Hyperedge>& fragments) const {
  if (partsHoldWildcards || !fragments.empty()) {
    mergeByScanning(image, fragments);
    return;
  }
  Sums sums;
  const std::size_t scanCost = weights.size() * (imageSlots + 1);
  if (!trySumAlone(image, scanCost, sums)) sumByScanning(image, sums);
  rankFragments(image, sums, fragments);
}

void TextGenerator::generateAll(
    std::span<const ImageBuffer> images,
    std::span<std::vector<Hyperedge>> fragments) const {
  if (!batchable) {
    for (std::size_t k = 0; k < images.size(); ++k) {
      generate(images[k], fragments[k]);
    }
    return;
  }
  for (std::size_t first = 0; first < images.size();
       first += BatchMatcher::kMostImages) {
    const std::size_t count =
        std::min(BatchMatcher::kMostImages, images.size() - first);
    generateBatch(images.subspan(first, count),
                  fragments.subspan(first, count));
  }
}

// Images that the index or the postings serve cheaper than their share of
// one pass over the population take that way; the others share the pass.
void TextGenerator::generateBatch(
    std::span<const ImageBuffer> images,
    std::span<std::vector<Hyperedge>> fragments) const {
  const std::size_t share = batchPassSteps() / images.size();
  std::vector<const ImageBuffer*> rest;
  std::vector<std::size_t> restAt;
  Sums sums;
  for (std::size_t k = 0; k < images.size(); ++k) {
    // The pass hands over every agreeing hyperedge one by one, which the
    // index need not.
    const double agreeing =
        index != nullptr ? index->estimatedAgreeing(images[k]) : 0.0;
    const auto batchCost = static_cast<std::size_t>(
        std::min(static_cast<double>(share) + agreeing,
                 static_cast<double>(weights.size() * (imageSlots + 1))));
    if (!fragments[k].empty()) {
      mergeByScanning(images[k], fragments[k]);
    } else if (trySumAlone(images[k], batchCost, sums)) {
      rankFragments(images[k], sums, fragments[k]);
    } else {
      rest.push_back(&images[k]);
      restAt.push_back(k);
    }
  }
  if (rest.empty()) return;
  thread_local std::vector<std::vector<std::uint32_t>> agreeing;
  agreeing.resize(rest.size());
  for (std::vector<std::uint32_t>& ids : agreeing) ids.clear();
  batchMatcher().agreeing(rest, agreeing);
  if (counts != nullptr) {
    counts->imagesInBatches.fetch_add(rest.size(), std::memory_order_relaxed);
    counts->hyperedgesTested.fetch_add(weights.size(),
                                       std::memory_order_relaxed);
  }
  for (std::size_t r = 0; r < rest.size(); ++r) {
    sumAgreeing(agreeing[r], sums);
    rankFragments(*rest[r], sums, fragments[restAt[r]]);
  }
}

// Whichever way takes the fewest steps, if fewer than `budget`: the index
// or the postings.
bool TextGenerator::trySumAlone(const ImageBuffer& image, std::size_t budget,
                                Sums& sums) const {
  thread_local VertexPostings::Candidates candidates;
  const std::size_t postingCost =
      postings != nullptr ? postingSteps(image, candidates) : budget;
  sums.fromIndex =
      index != nullptr &&
      index->trySumAgreeing(image, std::min(budget, postingCost), sums.weight,
                            sums.count, bounded ? &sums.error : nullptr);
  if (sums.fromIndex) return true;
  if (postingCost >= budget) return false;
  sumByPostings(image, candidates, sums);
  return true;
}

void TextGenerator::rankFragments(const ImageBuffer& image, Sums& sums,
                                  std::vector<Hyperedge>& fragments) const {
  if (counts != nullptr) counts->images.fetch_add(1, std::memory_order_relaxed);
  std::vector<double>& weight = sums.weight;
  std::vector<std::uint32_t> found;
  for (std::uint32_t part = 0; part < sums.count.size(); ++part) {
    if (sums.count[part] > 0) found.push_back(part);
  }
  if (bounded && sums.fromIndex) {
    rankBounded(image, found, weight, sums.error, sums.count);
  } else {
    // By rank: heavier first, equal weights in vertex order, which is the
    // order of the part numbers.
    std::sort(found.begin(), found.end(),
              [&weight](std::uint32_t x, std::uint32_t y) {
                if (weighsMore(weight[x], weight[y])) return true;
                return !weighsMore(weight[y], weight[x]) && x < y;
              });
  }
  fragments.reserve(found.size());
  for (const std::uint32_t part : found) {
    fragments.emplace_back(
        sentenceSlots, partWords.data() + std::size_t{part} * sentenceSlots);
    // Adding +0 turns a -0 left by the index's subtractions into the 0
    // that adding up the agreeing weights gives, unless those are all -0.
    fragments.back().weight = weight[part] == 0.0 && holdsNegativeZero
                                  ? orderedPartSum(image, part)
                                  : weight[part] + 0.0;
  }
}

// Sorted by the indexed sums, a part's place is certain where its
// interval is apart from its neighbours' (or both sums are exact), and its
// printed weight where its whole interval prints alike; the other parts
// are added up again in vertex order and the whole sorted again.
void TextGenerator::rankBounded(const ImageBuffer& image,
                                std::vector<std::uint32_t>& found,
                                std::vector<double>& weight,
                                const std::vector<double>& error,
                                const std::vector<std::int64_t>& count) const {
  std::vector<double> radius(weight.size(), 0.0);
  for (const std::uint32_t part : found) {
    const double ordered =
        partMagnitude[part] <= exactLimit(partFractionBits[part])
            ? 0.0
            : orderedSumBound(static_cast<std::uint64_t>(count[part]),
                              partMagnitude[part]);
    radius[part] = addUp(error[part], ordered);
  }
  const auto byRank = [&weight](std::uint32_t x, std::uint32_t y) {
    if (weighsMore(weight[x], weight[y])) return true;
    return !weighsMore(weight[y], weight[x]) && x < y;
  };
  std::vector<std::uint32_t> undecided;
  for (;;) {
    std::sort(found.begin(), found.end(), byRank);
    undecided.clear();
    for (std::size_t k = 0; k < found.size(); ++k) {
      const std::uint32_t part = found[k];
      if (radius[part] == 0.0) continue;
      const double low = lowerEnd(weight[part], radius[part]);
      const double high = upperEnd(weight[part], radius[part]);
      const bool apart =
          (k == 0 ||
           high < lowerEnd(weight[found[k - 1]], radius[found[k - 1]])) &&
          (k + 1 == found.size() ||
           upperEnd(weight[found[k + 1]], radius[found[k + 1]]) < low);
      if (!apart || !printsAlike(low, high)) undecided.push_back(part);
    }
    if (undecided.empty()) break;
    for (const std::uint32_t part : undecided) {
      weight[part] = orderedPartSum(image, part);
      radius[part] = 0.0;
    }
    if (counts != nullptr) {
      counts->fragmentsRecomputed.fetch_add(undecided.size(),
                                            std::memory_order_relaxed);
    }
  }
  if (exactWeights) {
    // The ranks are certain, and each exact sum lies within its bounds, so
    // putting it in place changes no rank.
    for (const std::uint32_t part : found) {
      if (radius[part] != 0.0) weight[part] = orderedPartSum(image, part);
    }
  }
  if (counts != nullptr) {
    counts->fragments.fetch_add(found.size(), std::memory_order_relaxed);
  }
}

double TextGenerator::orderedPartSum(const ImageBuffer& image,
                                     std::uint32_t part) const {
  const std::size_t end =
      part + 1 < firstOfPart.size() ? firstOfPart[part + 1] : weights.size();
  double sum = 0.0;
  bool first = true;
  for (std::size_t i = firstOfPart[part]; i < end; ++i) {
    if (!agreesWithImage(imageVerticesOf(i), image)) continue;
    sum = first ? weights[i] : sum + weights[i];
    first = false;
  }
  return sum;
}

// Adds up, per part, the weights of the agreeing hyperedges in vertex
// order: the order in which the definition merges them.
void TextGenerator::sumByScanning(const ImageBuffer& image, Sums& sums) const {
  std::vector<double>& weight = sums.weight;
  std::vector<std::int64_t>& count = sums.count;
  sums.fromIndex = false;
  if (counts != nullptr) {
    counts->imagesScanned.fetch_add(1, std::memory_order_relaxed);
    counts->hyperedgesTested.fetch_add(weights.size(),
                                       std::memory_order_relaxed);
  }
  weight.assign(firstOfPart.size(), 0.0);
  count.assign(firstOfPart.size(), 0);
  for (std::size_t i = 0; i < weights.size(); ++i) {
    if (!agreesWithImage(imageVerticesOf(i), image)) continue;
    weight[partOf[i]] += weights[i];
    count[partOf[i]] += 1;
  }
}

std::size_t TextGenerator::postingSteps(
    const ImageBuffer& image, VertexPostings::Candidates& candidates) const {
  return postings->candidates(image, candidates) * imageSlots +
         postings->filedPositions();
}

// The agreeing hyperedges, found through the postings, add up in vertex
// order as in `sumByScanning`.
void TextGenerator::sumByPostings(const ImageBuffer& image,
                                  const VertexPostings::Candidates& candidates,
                                  Sums& sums) const {
  thread_local std::vector<std::uint32_t> agreeing;
  agreeing.clear();
  postings->agreeing(image, candidates, agreeing);
  if (counts != nullptr) {
    std::size_t tested = 0;
    for (const auto& [begin, end] : candidates) tested += end - begin;
    counts->imagesByPostings.fetch_add(1, std::memory_order_relaxed);
    counts->hyperedgesTested.fetch_add(tested, std::memory_order_relaxed);
  }
  sumAgreeing(agreeing, sums);
}

// Adds up the weights of the agreeing hyperedges `agreeing`, given in
// vertex order, per part.
void TextGenerator::sumAgreeing(std::span<const std::uint32_t> agreeing,
                                Sums& sums) const {
  sums.fromIndex = false;
  sums.weight.assign(firstOfPart.size(), 0.0);
  sums.count.assign(firstOfPart.size(), 0);
  for (const std::uint32_t i : agreeing) {
    sums.weight[partOf[i]] += weights[i];
    sums.count[partOf[i]] += 1;
  }
}

// Each agreeing hyperedge, in vertex order, adds its weight to the first
// fragment its sentence part matches, or else becomes a fragment of its own.
void TextGenerator::mergeByScanning(const ImageBuffer& image,
                                    std::vector<Hyperedge>& fragments) const {
  for (std::size_t i = 0; i < weights.size(); ++i) {
    if (!agreesWithImage(imageVerticesOf(i), image)) continue;
    Hyperedge part(sentenceSlots,
                   partWords.data() + std::size_t{partOf[i]} * sentenceSlots);
    const auto first = std::find_if(
        fragments.begin(), fragments.end(),
        [&part](const Hyperedge& fragment) { return fragment.matches(part); });
    if (first == fragments.end()) {
      part.weight = weights[i];
      fragments.push_back(std::move(part));
    } else {
      first->weight += weights[i];
    }
  }
  std::sort(fragments.begin(), fragments.end(), ranksBefore);
}

// Every image vertex names a position of the image that holds exactly its
// value. A vertex outside the image cannot agree with it.
bool TextGenerator::agreesWithImage(const std::int32_t* imageVertex,
                                    const ImageBuffer& image) const {
  for (std::uint32_t slot = 0; slot < imageSlots; ++slot) {
    const std::int32_t position = imageVertexPosition(imageVertex[slot]);
    if (!isImagePosition(position) ||
        image[static_cast<std::size_t>(position)] !=
            imageVertexValue(imageVertex[slot])) {
      return false;
    }
  }
  return true;
}

}  // namespace hn

#include "learner/index/text_generator.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <span>

#include "learner/data/population.h"
#include "learner/index/exact_sum.h"

namespace hn {

TextGenerator::TextGenerator(const Population& population,
                             std::uint32_t sentenceSlots,
                             std::uint32_t imageSlots, bool indexed)
    : sentenceSlots(sentenceSlots), length(sentenceSlots + imageSlots) {
  population.forEachInVertexOrder([&](HyperedgeId, HyperedgeView stored) {
    // Only hyperedges of the run's layout can be read slot by slot.
    if (stored.vertices.size() != length) return;
    const std::int32_t* part = stored.vertices.data();
    if (firstOfPart.empty() ||
        !std::equal(
            part, part + sentenceSlots,
            vertices.data() + std::size_t{firstOfPart.back()} * length)) {
      firstOfPart.push_back(static_cast<std::uint32_t>(weights.size()));
      if (holdsWildcard({part, sentenceSlots})) partsHoldWildcards = true;
    }
    partOf.push_back(static_cast<std::uint32_t>(firstOfPart.size() - 1));
    vertices.insert(vertices.end(), stored.vertices.begin(),
                    stored.vertices.end());
    weights.push_back(stored.weight);
  });
  if (indexed && !partsHoldWildcards && imageSlots > 0 && sumsExact()) {
    index = std::make_unique<AgreementIndex>(
        vertices, weights, partOf, firstOfPart.size(), sentenceSlots, length);
  }
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
  const double imageSlots = length - sentenceSlots;
  return sumsStayExact(fractionBits,
                       2.0 * (2.0 * imageSlots + 2.0) * magnitude);
}

void TextGenerator::generate(const ImageBuffer& image,
                             std::vector<Hyperedge>& fragments) const {
  if (partsHoldWildcards || !fragments.empty()) {
    mergeByScanning(image, fragments);
    return;
  }
  std::vector<double> weight;
  std::vector<std::int64_t> count;
  const std::size_t scanCost = weights.size() * (length - sentenceSlots + 1);
  if (index == nullptr ||
      !index->trySumAgreeing(image, scanCost, weight, count)) {
    sumByScanning(image, weight, count);
  }

  std::vector<std::uint32_t> found;
  for (std::uint32_t part = 0; part < count.size(); ++part) {
    if (count[part] > 0) found.push_back(part);
  }
  // By rank: heavier first, equal weights in vertex order, which is the
  // order of the part numbers.
  std::sort(found.begin(), found.end(),
            [&weight](std::uint32_t x, std::uint32_t y) {
              if (weighsMore(weight[x], weight[y])) return true;
              return !weighsMore(weight[y], weight[x]) && x < y;
            });
  fragments.reserve(found.size());
  for (const std::uint32_t part : found) {
    fragments.emplace_back(
        sentenceSlots,
        vertices.data() + std::size_t{firstOfPart[part]} * length);
    // Adding +0 turns a -0 left by the index's subtractions into the 0
    // that adding up the agreeing weights gives.
    fragments.back().weight = weight[part] + 0.0;
  }
}

// Adds up, per part, the weights of the agreeing hyperedges in vertex
// order: the order in which the definition merges them.
void TextGenerator::sumByScanning(const ImageBuffer& image,
                                  std::vector<double>& weight,
                                  std::vector<std::int64_t>& count) const {
  weight.assign(firstOfPart.size(), 0.0);
  count.assign(firstOfPart.size(), 0);
  for (std::size_t i = 0; i < weights.size(); ++i) {
    if (!agreesWithImage(vertices.data() + i * length, image)) continue;
    weight[partOf[i]] += weights[i];
    count[partOf[i]] += 1;
  }
}

// Each agreeing hyperedge, in vertex order, adds its weight to the first
// fragment its sentence part matches, or else becomes a fragment of its own.
void TextGenerator::mergeByScanning(const ImageBuffer& image,
                                    std::vector<Hyperedge>& fragments) const {
  for (std::size_t i = 0; i < weights.size(); ++i) {
    const std::int32_t* hyperedge = vertices.data() + i * length;
    if (!agreesWithImage(hyperedge, image)) continue;
    Hyperedge part(sentenceSlots, hyperedge);
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
bool TextGenerator::agreesWithImage(const std::int32_t* hyperedge,
                                    const ImageBuffer& image) const {
  for (std::uint32_t slot = sentenceSlots; slot < length; ++slot) {
    const std::int32_t position = imageVertexPosition(hyperedge[slot]);
    if (!isImagePosition(position) ||
        image[static_cast<std::size_t>(position)] !=
            imageVertexValue(hyperedge[slot])) {
      return false;
    }
  }
  return true;
}

}  // namespace hn

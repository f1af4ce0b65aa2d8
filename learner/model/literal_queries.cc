// The definitions, step by step: a deliberate second implementation of the
// learner's queries, kept as the oracle that the indexed engine is compared
// against. Keep it plain: no index, cache or shortcut belongs here.
#include "learner/model/literal_queries.h"

#include <algorithm>
#include <numeric>

#include "common/parallel_for.h"
#include "learner/data/storage.h"
#include "learner/model/candidate_list.h"
#include "learner/model/hypernetwork.h"

namespace hn {
namespace {

// A vote for a value already voted for adds to its score; a new value is
// appended. Lookup is a linear search from the front.
void vote(std::vector<Candidate>& candidates, std::int32_t value,
          double weight) {
  for (Candidate& candidate : candidates) {
    if (candidate.value == value) {
      candidate.score += weight;
      return;
    }
  }
  candidates.push_back({value, weight});
}

}  // namespace

void LiteralQueries::forEachMatch(const Hyperedge& pattern,
                                  const MatchVisit& visit) const {
  for (const Hyperedge& match : storage.findMatching(pattern)) {
    visit({match.vertices, match.vertexCount}, match.weight);
  }
}

void LiteralQueries::inferImageValues(Layout layout,
                                      std::span<const std::int32_t> sentence,
                                      std::vector<std::int32_t>& values) const {
  const std::uint32_t n = layout.sentenceSlots;
  const std::uint32_t m = layout.imageSlots;
  Hyperedge query(n + m);
  std::vector<Candidate> candidates;
  for (std::size_t start = 0; start + n <= sentence.size(); ++start) {
    std::copy_n(sentence.begin() + static_cast<std::ptrdiff_t>(start), n,
                query.vertices);
    std::fill_n(query.vertices + n, m, kWildcard);
    for (const Hyperedge& match : storage.findMatching(query)) {
      for (std::uint32_t slot = n; slot < n + m; ++slot) {
        vote(candidates, match.vertices[slot], match.weight);
      }
    }
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& x, const Candidate& y) {
                     return weighsMore(x.score, y.score);
                   });
  // A candidate survives when no candidate before it holds its position.
  // Packed positions lie in (-kPositionRadix, kPositionRadix).
  std::vector<bool> taken(2 * kPositionRadix, false);
  values.clear();
  for (const Candidate& candidate : candidates) {
    const auto position = static_cast<std::size_t>(
        imageVertexPosition(candidate.value) + kPositionRadix);
    if (taken[position]) continue;
    taken[position] = true;
    values.push_back(candidate.value);
  }
}

void LiteralQueries::generateImage(Layout layout,
                                   std::span<const std::int32_t> sentence,
                                   ImageBuffer& image) const {
  std::vector<std::int32_t> values;
  inferImageValues(layout, sentence, values);
  for (const std::int32_t vertex : values) {
    // A vertex outside the image has nowhere to go and is skipped.
    const std::int32_t position = imageVertexPosition(vertex);
    if (isImagePosition(position)) {
      image[static_cast<std::size_t>(position)] = imageVertexValue(vertex);
    }
  }
}

void LiteralQueries::generateText(Layout layout, const ImageBuffer& image,
                                  std::vector<Hyperedge>& fragments) const {
  const std::uint32_t n = layout.sentenceSlots;
  const std::uint32_t length = n + layout.imageSlots;
  for (const Hyperedge& stored : storage.getAll(false)) {
    // Only hyperedges of the run's layout can be read slot by slot.
    if (stored.vertexCount != length) continue;
    bool agrees = true;
    for (std::uint32_t slot = n; agrees && slot < length; ++slot) {
      const std::int32_t position = imageVertexPosition(stored.vertices[slot]);
      agrees = isImagePosition(position) &&
               image[static_cast<std::size_t>(position)] ==
                   imageVertexValue(stored.vertices[slot]);
    }
    if (!agrees) continue;
    Hyperedge part(n, stored.vertices);
    const auto merged =
        std::find_if(fragments.begin(), fragments.end(),
                     [&part](const Hyperedge& f) { return f.matches(part); });
    if (merged != fragments.end()) {
      merged->weight += stored.weight;
    } else {
      part.weight = stored.weight;
      fragments.push_back(std::move(part));
    }
  }
  std::sort(fragments.begin(), fragments.end(), ranksBefore);
}

// Pair by pair, a round of them at a time so that progress is told from
// this thread.
std::vector<std::uint32_t> LiteralQueries::imageMismatches(
    Layout layout, const InstanceList& instances, const PairsDone& pairsDone) {
  constexpr std::size_t kPairsPerRound = 256;
  const std::size_t pairs = instances.size() / 2;
  std::vector<std::uint32_t> counts(pairs);
  for (std::size_t first = 0; first < pairs; first += kPairsPerRound) {
    const std::size_t round = std::min(kPairsPerRound, pairs - first);
    parallelFor(round, threads, [&](std::size_t i) {
      const std::size_t pair = first + i;
      counts[pair] = mismatches(layout, instances[2 * pair].values(),
                                imageBufferOf(instances[2 * pair + 1]));
    });
    if (pairsDone) pairsDone(first + round);
  }
  return counts;
}

bool LiteralQueries::generatesImage(Layout layout, std::size_t /*pair*/,
                                    std::span<const std::int32_t> sentence,
                                    const ImageBuffer& image) {
  return mismatches(layout, sentence, image) == 0;
}

std::vector<std::size_t> LiteralQueries::sharedImages(
    std::span<const InstanceView> sentences) const {
  std::vector<std::size_t> own(sentences.size());
  std::iota(own.begin(), own.end(), std::size_t{0});
  return own;
}

std::vector<std::size_t> LiteralQueries::sharedTexts(
    std::span<const InstanceView> images) const {
  return sharedImages(images);
}

std::uint32_t LiteralQueries::mismatches(Layout layout,
                                         std::span<const std::int32_t> sentence,
                                         const ImageBuffer& image) const {
  ImageBuffer generated;
  generated.fill(-1);
  generateImage(layout, sentence, generated);
  return Hypernetwork::countDifferences(generated.data(), image.data(),
                                        static_cast<std::int32_t>(kImageSize));
}

}  // namespace hn

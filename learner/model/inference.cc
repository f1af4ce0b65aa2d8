#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "learner/data/hyperedge.h"
#include "learner/model/hypernetwork.h"
#include "learner/model/literal_queries.h"

namespace hn {

std::int32_t Hypernetwork::predictElement(
    const std::vector<std::int32_t>& sequence, std::uint32_t position,
    CandidateList& candidates) const {
  candidates.clear();
  const auto n = static_cast<std::uint32_t>(order);
  const std::size_t length = sequence.size();
  std::optional<LiteralQueries> literal;
  const Queries& matching = engine(literal);
  Hyperedge query(n);
  for (std::uint32_t offset = 0; offset < n; ++offset) {
    const std::size_t end = std::size_t{position} + offset;  // last index
    if (end + 1 < n || end >= length) continue;
    const std::size_t start = end + 1 - n;
    std::copy_n(sequence.begin() + static_cast<std::ptrdiff_t>(start), n,
                query.vertices);
    const std::uint32_t targetSlot = n - 1 - offset;
    query.vertices[targetSlot] = kWildcard;
    matching.forEachMatch(
        query, [&](std::span<const std::int32_t> match, double weight) {
          candidates.vote(match[targetSlot], weight);
        });
  }
  candidates.rank();
  return candidates.empty() ? kNoPrediction : candidates.ranked().front().value;
}

std::int32_t Hypernetwork::predictElement(
    const std::vector<std::int32_t>& sequence, std::uint32_t position) const {
  CandidateList candidates;
  return predictElement(sequence, position, candidates);
}

std::int32_t Hypernetwork::predictLabel(
    const std::vector<std::int32_t>& features) const {
  const auto n = static_cast<std::uint32_t>(order);
  std::optional<LiteralQueries> literal;
  const Queries& matching = engine(literal);
  Hyperedge query(n + 1);
  CandidateList candidates;
  for (std::size_t start = 0; start + n <= features.size(); ++start) {
    std::copy_n(features.begin() + static_cast<std::ptrdiff_t>(start), n,
                query.vertices);
    query.vertices[n] = kWildcard;
    matching.forEachMatch(
        query, [&](std::span<const std::int32_t> match, double weight) {
          candidates.vote(match[n], weight);
        });
  }
  candidates.rank();
  return candidates.empty() ? kNoPrediction : candidates.ranked().front().value;
}

void Hypernetwork::inferImageValues(const std::vector<std::int32_t>& sentence,
                                    std::vector<std::int32_t>& values) const {
  std::optional<LiteralQueries> literal;
  engine(literal).inferImageValues(layout(), sentence, values);
}

void Hypernetwork::generateImage(const std::vector<std::int32_t>& sentence,
                                 ImageBuffer& image) const {
  std::optional<LiteralQueries> literal;
  engine(literal).generateImage(layout(), sentence, image);
}

void Hypernetwork::generateText(const ImageBuffer& image,
                                std::vector<Hyperedge>& fragments) const {
  std::optional<LiteralQueries> literal;
  engine(literal).generateText(layout(), image, fragments);
}

}  // namespace hn

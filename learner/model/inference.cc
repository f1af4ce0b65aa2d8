#include <algorithm>
#include <cstdint>
#include <vector>

#include "learner/data/hyperedge.h"
#include "learner/data/prefix_vote_index.h"
#include "learner/data/storage.h"
#include "learner/model/hypernetwork.h"
#include "learner/model/literal_inference.h"
#include "learner/model/text_generator.h"
#include "learner/model/window_votes.h"

namespace hn {

std::int32_t Hypernetwork::predictElement(
    const std::vector<std::int32_t>& sequence, std::uint32_t position,
    CandidateList& candidates) const {
  candidates.clear();
  const auto n = static_cast<std::uint32_t>(order);
  const std::size_t length = sequence.size();
  Hyperedge query(n);
  for (std::uint32_t offset = 0; offset < n; ++offset) {
    const std::size_t end = std::size_t{position} + offset;  // last index
    if (end + 1 < n || end >= length) continue;
    const std::size_t start = end + 1 - n;
    std::copy_n(sequence.begin() + static_cast<std::ptrdiff_t>(start), n,
                query.vertices);
    const std::uint32_t targetSlot = n - 1 - offset;
    query.vertices[targetSlot] = kWildcard;
    for (const Hyperedge* match : storage->viewMatching(query)) {
      candidates.vote(match->vertices[targetSlot], match->weight);
    }
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
  Hyperedge query(n + 1);
  CandidateList candidates;
  for (std::size_t start = 0; start + n <= features.size(); ++start) {
    std::copy_n(features.begin() + static_cast<std::ptrdiff_t>(start), n,
                query.vertices);
    query.vertices[n] = kWildcard;
    for (const Hyperedge* match : storage->viewMatching(query)) {
      candidates.vote(match->vertices[n], match->weight);
    }
  }
  candidates.rank();
  return candidates.empty() ? kNoPrediction : candidates.ranked().front().value;
}

void Hypernetwork::voteForImageValues(const std::vector<std::int32_t>& sentence,
                                      CandidateList& candidates) const {
  const auto n = static_cast<std::uint32_t>(order);
  const auto m = static_cast<std::uint32_t>(order2);
  Hyperedge query(n + m);
  std::fill_n(query.vertices + n, m, kWildcard);
  for (std::size_t start = 0; start + n <= sentence.size(); ++start) {
    std::copy_n(sentence.begin() + static_cast<std::ptrdiff_t>(start), n,
                query.vertices);
    for (const Hyperedge* match : storage->viewMatching(query)) {
      for (std::uint32_t slot = n; slot < n + m; ++slot) {
        candidates.vote(match->vertices[slot], match->weight);
      }
    }
  }
}

PrefixVoteIndex* Hypernetwork::exactVoteIndex(
    const std::vector<std::int32_t>& sentence) const {
  const auto n = static_cast<std::uint32_t>(order);
  PrefixVoteIndex* index =
      storage->prefixVotes(n, n + static_cast<std::uint32_t>(order2));
  if (index == nullptr) return nullptr;
  const std::size_t windows =
      sentence.size() >= n ? sentence.size() - n + 1 : 0;
  return index->sumsExact(windows) ? index : nullptr;
}

void Hypernetwork::inferImageValues(const std::vector<std::int32_t>& sentence,
                                    std::vector<std::int32_t>& values) const {
  if (literal) {
    literalInferImageValues(*storage, static_cast<std::uint32_t>(order),
                            static_cast<std::uint32_t>(order2), sentence,
                            values);
    return;
  }
  if (PrefixVoteIndex* index = exactVoteIndex(sentence)) {
    values = WindowVotes(*index, sentence).rankedBestPerPosition();
    return;
  }
  CandidateList candidates;
  voteForImageValues(sentence, candidates);
  candidates.rankBestPerImagePosition();
  values.clear();
  for (const Candidate& candidate : candidates.ranked()) {
    values.push_back(candidate.value);
  }
}

// The survivors of `inferImageValues` hold one vertex per position, so the
// image does not depend on their order and they need no ranking.
void Hypernetwork::generateImage(const std::vector<std::int32_t>& sentence,
                                 ImageBuffer& image) const {
  thread_local std::vector<std::int32_t> best;
  best.clear();
  if (literal) {
    inferImageValues(sentence, best);
  } else if (PrefixVoteIndex* index = exactVoteIndex(sentence)) {
    WindowVotes(*index, sentence).bestPerPosition(best);
  } else {
    CandidateList candidates;
    voteForImageValues(sentence, candidates);
    for (const Candidate& candidate : candidates.bestPerImagePosition()) {
      best.push_back(candidate.value);
    }
  }
  for (const std::int32_t vertex : best) {
    // A vertex outside the image has nowhere to go and is skipped.
    const std::int32_t position = imageVertexPosition(vertex);
    if (isImagePosition(position)) {
      image[static_cast<std::size_t>(position)] = imageVertexValue(vertex);
    }
  }
}

void Hypernetwork::generateText(const ImageBuffer& image,
                                std::vector<Hyperedge>& fragments) const {
  if (literal) {
    literalGenerateText(*storage, static_cast<std::uint32_t>(order),
                        static_cast<std::uint32_t>(order2), image, fragments);
    return;
  }
  // For one image, building an index costs more than it saves.
  TextGenerator(*storage, static_cast<std::uint32_t>(order),
                static_cast<std::uint32_t>(order2), false)
      .generate(image, fragments);
}

}  // namespace hn

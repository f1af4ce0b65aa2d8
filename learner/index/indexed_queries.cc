#include "learner/index/indexed_queries.h"

#include <algorithm>
#include <functional>
#include <string>
#include <unordered_map>

#include "common/parallel_for.h"
#include "learner/index/generated_image_check.h"
#include "learner/index/prefix_vote_index.h"
#include "learner/index/text_generator.h"
#include "learner/index/window_votes.h"
#include "learner/model/candidate_list.h"

namespace hn {
namespace {

// Each position consults every group of the sentence's windows; with more
// of them, generating the whole image costs less than checking it.
constexpr std::size_t kMostGroupsToCheck = 64;
// Groups of pairs generated between two progress reports.
constexpr std::size_t kGroupsPerRound = 1024;

// Per item, the first item whose instance equals its own. Only the hashes
// of the instances are kept, not their copies: images are large.
std::vector<std::size_t> firstOfEqualInstances(
    std::size_t count,
    const std::function<InstanceView(std::size_t)>& instanceOf) {
  std::vector<std::size_t> first(count);
  std::unordered_multimap<std::size_t, std::size_t> firstWithHash;
  for (std::size_t i = 0; i < count; ++i) {
    const InstanceView instance = instanceOf(i);
    const std::size_t hash = std::hash<std::string>{}(instance.key());
    first[i] = i;
    const auto [begin, end] = firstWithHash.equal_range(hash);
    for (auto candidate = begin; candidate != end; ++candidate) {
      if (instanceOf(candidate->second) == instance) {
        first[i] = candidate->second;
        break;
      }
    }
    if (first[i] == i) firstWithHash.emplace(hash, i);
  }
  return first;
}

// Pair numbers grouped by equal sentences, in order of first appearance.
std::vector<std::vector<std::size_t>> pairsBySentence(
    const InstanceList& instances) {
  const std::vector<std::size_t> first = firstOfEqualInstances(
      instances.size() / 2,
      [&instances](std::size_t pair) { return instances[2 * pair]; });
  std::vector<std::vector<std::size_t>> groups;
  std::vector<std::size_t> groupOf(first.size());
  for (std::size_t pair = 0; pair < first.size(); ++pair) {
    if (first[pair] == pair) {
      groupOf[pair] = groups.size();
      groups.emplace_back();
    }
    groups[groupOf[first[pair]]].push_back(pair);
  }
  return groups;
}

// Where a generated image differs from the true one: how many positions,
// and the first of them (0 when none).
struct Differences {
  std::uint32_t count = 0;
  std::uint16_t first = 0;
};

Differences differences(const ImageBuffer& generated,
                        const ImageBuffer& image) {
  const std::size_t first = static_cast<std::size_t>(
      std::mismatch(generated.begin(), generated.end(), image.begin()).first -
      generated.begin());
  Differences found;
  if (first == kImageSize) return found;
  found.first = static_cast<std::uint16_t>(first);
  for (std::size_t p = first; p < kImageSize; ++p) {
    found.count += generated[p] != image[p] ? 1 : 0;
  }
  return found;
}

}  // namespace

IndexedQueries::IndexedQueries(Population& population, unsigned threads,
                               bool exactFragmentWeights)
    : population(population),
      threads(threads),
      exactFragmentWeights(exactFragmentWeights) {
  population.addObserver(*this);
}

IndexedQueries::~IndexedQueries() { population.removeObserver(*this); }

void IndexedQueries::forEachMatch(const Hyperedge& pattern,
                                  const MatchVisit& visit) const {
  for (const HyperedgeView& match : population.viewMatching(pattern)) {
    visit(match.vertices, match.weight);
  }
}

void IndexedQueries::inferImageValues(Layout layout,
                                      std::span<const std::int32_t> sentence,
                                      std::vector<std::int32_t>& values) const {
  bool bounded = false;
  if (const PrefixVoteIndex* index =
          usableVotes(layout, sentence.size(), bounded)) {
    values =
        WindowVotes(*index, sentence, bounded, &counts).rankedBestPerPosition();
    return;
  }
  CandidateList candidates;
  voteInOrder(layout, sentence, candidates);
  candidates.rankBestPerImagePosition();
  values.clear();
  for (const Candidate& candidate : candidates.ranked()) {
    values.push_back(candidate.value);
  }
}

// The survivors hold one vertex per position, so the image does not depend
// on their order and they need no ranking.
void IndexedQueries::generateImage(Layout layout,
                                   std::span<const std::int32_t> sentence,
                                   ImageBuffer& image) const {
  thread_local std::vector<std::int32_t> best;
  best.clear();
  bool bounded = false;
  if (const PrefixVoteIndex* index =
          usableVotes(layout, sentence.size(), bounded)) {
    WindowVotes(*index, sentence, bounded, &counts).bestPerPosition(best);
  } else {
    CandidateList candidates;
    voteInOrder(layout, sentence, candidates);
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

void IndexedQueries::generateText(Layout layout, const ImageBuffer& image,
                                  std::vector<Hyperedge>& fragments) const {
  currentText(layout).generate(image, fragments);
}

void IndexedQueries::generateTexts(
    Layout layout, std::span<const ImageBuffer> images,
    std::span<std::vector<Hyperedge>> fragments) const {
  currentText(layout).generateAll(images, fragments);
}

// The store does not change during the pass, so pairs that share a sentence
// share its generated image, and pairs are independent of each other.
std::vector<std::uint32_t> IndexedQueries::imageMismatches(
    Layout layout, const InstanceList& instances, const PairsDone& pairsDone) {
  currentVotes(layout);
  const std::vector<std::vector<std::size_t>> groups =
      pairsBySentence(instances);
  const std::size_t pairs = instances.size() / 2;
  std::vector<std::uint32_t> mismatches(pairs);
  if (firstWrongPosition.size() < pairs) firstWrongPosition.resize(pairs, 0);
  // In rounds, so that progress can be reported from this thread.
  std::size_t done = 0;
  for (std::size_t first = 0; first < groups.size(); first += kGroupsPerRound) {
    const std::size_t count = std::min(kGroupsPerRound, groups.size() - first);
    parallelFor(count, threads, [&](std::size_t i) {
      const std::vector<std::size_t>& group = groups[first + i];
      ImageBuffer generated;
      generated.fill(-1);
      generateImage(layout, instances[2 * group.front()].values(), generated);
      for (const std::size_t pair : group) {
        const Differences found =
            differences(generated, imageBufferOf(instances[2 * pair + 1]));
        mismatches[pair] = found.count;
        // Where the weight update will look first.
        firstWrongPosition[pair] = found.first;
      }
    });
    for (std::size_t i = first; i < first + count; ++i) {
      done += groups[i].size();
    }
    if (pairsDone) pairsDone(done);
  }
  return mismatches;
}

bool IndexedQueries::generatesImage(Layout layout, std::size_t pair,
                                    std::span<const std::int32_t> sentence,
                                    const ImageBuffer& image) {
  bool bounded = false;
  if (const PrefixVoteIndex* index =
          usableVotes(layout, sentence.size(), bounded)) {
    GeneratedImageCheck check(*index, sentence, bounded, &counts);
    if (check.groupCount() <= kMostGroupsToCheck) {
      // Wrong positions tend to stay wrong from pass to pass: the one found
      // last time is tried first.
      std::uint16_t& hint = firstWrongPositionOf(pair);
      if (check.generatedAt(hint) != image[hint]) return false;
      for (std::uint16_t position = 0; position < kImageSize; ++position) {
        if (position != hint &&
            check.generatedAt(position) != image[position]) {
          hint = position;
          return false;
        }
      }
      return true;
    }
  }
  ImageBuffer generated;
  generated.fill(-1);
  generateImage(layout, sentence, generated);
  return generated == image;
}

std::vector<std::size_t> IndexedQueries::sharedImages(
    std::span<const InstanceView> sentences) const {
  return firstOfEqualInstances(
      sentences.size(), [sentences](std::size_t i) { return sentences[i]; });
}

std::vector<std::size_t> IndexedQueries::sharedTexts(
    std::span<const InstanceView> images) const {
  return firstOfEqualInstances(images.size(),
                               [images](std::size_t i) { return images[i]; });
}

void IndexedQueries::inserted(HyperedgeId /*id*/) { storeChanged(); }

void IndexedQueries::reweighted(HyperedgeId /*id*/, double /*previous*/) {
  storeChanged();
}

void IndexedQueries::emptied() { storeChanged(); }

void IndexedQueries::loaded() { storeChanged(); }

// Queries never run while the store changes, so nothing reads the tables
// now; the next query brings them up to date.
void IndexedQueries::storeChanged() {
  votesCurrent.store(false, std::memory_order_relaxed);
  textCurrent.store(false, std::memory_order_relaxed);
}

const PrefixVoteIndex& IndexedQueries::currentVotes(Layout layout) const {
  const std::uint32_t length = layout.sentenceSlots + layout.imageSlots;
  const auto fits = [&] {
    return votes->prefixLength() == layout.sentenceSlots &&
           votes->length() == length;
  };
  if (votesCurrent.load(std::memory_order_acquire) && fits()) return *votes;
  const std::lock_guard lock(building);
  if (votes == nullptr || !fits()) {
    votes = std::make_unique<PrefixVoteIndex>(population, layout.sentenceSlots,
                                              length);
  } else if (votesCurrent.load(std::memory_order_relaxed)) {
    return *votes;  // brought up to date by another thread meanwhile
  }
  votes->refresh();
  votesCurrent.store(true, std::memory_order_release);
  return *votes;
}

const PrefixVoteIndex* IndexedQueries::usableVotes(Layout layout,
                                                   std::size_t words,
                                                   bool& bounded) const {
  const PrefixVoteIndex& index = currentVotes(layout);
  const std::size_t windows =
      words >= layout.sentenceSlots ? words - layout.sentenceSlots + 1 : 0;
  bounded = false;
  if (index.sumsExact(windows)) return &index;
  bounded = true;
  return index.boundsHold() ? &index : nullptr;
}

void IndexedQueries::voteInOrder(Layout layout,
                                 std::span<const std::int32_t> sentence,
                                 CandidateList& candidates) const {
  const std::uint32_t n = layout.sentenceSlots;
  const std::uint32_t m = layout.imageSlots;
  Hyperedge query(n + m);
  std::fill_n(query.vertices + n, m, kWildcard);
  for (std::size_t start = 0; start + n <= sentence.size(); ++start) {
    std::copy_n(sentence.begin() + static_cast<std::ptrdiff_t>(start), n,
                query.vertices);
    for (const HyperedgeView& match : population.viewMatching(query)) {
      for (std::uint32_t slot = n; slot < n + m; ++slot) {
        candidates.vote(match.vertices[slot], match.weight);
      }
    }
  }
}

const TextGenerator& IndexedQueries::currentText(Layout layout) const {
  if (textCurrent.load(std::memory_order_acquire) && textLayout == layout) {
    return *text;
  }
  const std::lock_guard lock(building);
  if (!textCurrent.load(std::memory_order_relaxed) || textLayout != layout) {
    text = std::make_unique<TextGenerator>(population, layout.sentenceSlots,
                                           layout.imageSlots, true, &counts,
                                           exactFragmentWeights);
    textLayout = layout;
    textCurrent.store(true, std::memory_order_release);
  }
  return *text;
}

std::uint16_t& IndexedQueries::firstWrongPositionOf(std::size_t pair) {
  if (firstWrongPosition.size() <= pair) {
    firstWrongPosition.resize(pair + 1, 0);
  }
  return firstWrongPosition[pair];
}

}  // namespace hn

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "learner/data/data_set.h"
#include "learner/data/prefix_vote_index.h"
#include "learner/data/storage.h"
#include "learner/model/hypernetwork.h"
#include "learner/model/image_check.h"
#include "learner/model/parallel_for.h"

namespace hn {

double Hypernetwork::sequenceAccuracy() const {
  double correct = 0.0;
  double total = 0.0;
  for (std::size_t i = 0; i < instanceCount(); ++i) {
    const std::vector<std::int32_t> sequence = instance(i).values();
    for (std::uint32_t position = 0; position < sequence.size(); ++position) {
      total += 1.0;
      if (predictElement(sequence, position) == sequence[position]) {
        correct += 1.0;
      }
    }
  }
  return correct / total;
}

double Hypernetwork::labelAccuracy() const {
  double correct = 0.0;
  double total = 0.0;
  for (std::size_t i = 0; i < instanceCount(); ++i) {
    const std::vector<std::int32_t> labelled = instance(i).values();
    if (labelled.empty()) continue;  // an instance without its label
    const std::vector<std::int32_t> features(labelled.begin() + 1,
                                             labelled.end());
    total += 1.0;
    if (predictLabel(features) == labelled.front()) correct += 1.0;
  }
  return correct / total;
}

double Hypernetwork::imageAccuracy() const {
  double sum = 0.0;
  double pairs = 0.0;
  for (const std::uint32_t mismatches : allImageMismatches()) {
    sum += static_cast<double>(kImageSize - mismatches) /
           static_cast<double>(kImageSize);
    pairs += 1.0;
  }
  return sum / pairs;
}

// The store does not change during the pass, so pairs that share a sentence
// share its generated image, and pairs are independent of each other.
std::vector<std::uint32_t> Hypernetwork::allImageMismatches() const {
  prepareQueries();
  const std::vector<std::vector<std::size_t>> groups = pairsBySentence();
  std::vector<std::uint32_t> mismatches(pairCount());
  firstWrongPosition.resize(pairCount(), 0);
  // In rounds, so that progress can be reported from this thread.
  constexpr std::size_t kGroupsPerRound = 1024;
  std::size_t done = 0;
  for (std::size_t first = 0; first < groups.size(); first += kGroupsPerRound) {
    const std::size_t count = std::min(kGroupsPerRound, groups.size() - first);
    parallelFor(count, threads, [&](std::size_t i) {
      const std::vector<std::size_t>& group = groups[first + i];
      ImageBuffer generated;
      generated.fill(-1);
      generateImage(instance(2 * group.front()).values(), generated);
      for (const std::size_t pair : group) {
        const ImageBuffer reference = referenceImage(pair);
        mismatches[pair] =
            countDifferences(generated.data(), reference.data(),
                             static_cast<std::int32_t>(kImageSize));
        // Where the weight update will look first.
        firstWrongPosition[pair] =
            static_cast<std::uint16_t>(std::mismatch(generated.begin(),
                                                     generated.end(),
                                                     reference.begin())
                                           .first -
                                       generated.begin()) %
            kImageSize;
      }
    });
    for (std::size_t i = first; i < first + count; ++i) {
      done += groups[i].size();
    }
    reportPairs(done, pairCount());
  }
  return mismatches;
}

std::vector<std::vector<std::size_t>> Hypernetwork::pairsBySentence() const {
  std::vector<std::vector<std::size_t>> groups;
  std::unordered_map<std::string, std::size_t> groupOf;
  for (std::size_t pair = 0; pair < pairCount(); ++pair) {
    // The stored bytes and the value count together tell sentences apart.
    const InstanceView sentence = instance(2 * pair);
    std::string key = std::to_string(sentence.size()) + ':';
    key += sentence.bytes();
    const auto [entry, added] =
        groupOf.try_emplace(std::move(key), groups.size());
    if (added || literal) {
      groups.emplace_back();
      entry->second = groups.size() - 1;
    }
    groups[entry->second].push_back(pair);
  }
  return groups;
}

std::uint32_t Hypernetwork::countDifferences(const std::int32_t* a,
                                             const std::int32_t* b,
                                             std::int32_t count) {
  std::uint32_t differences = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    if (a[i] != b[i]) ++differences;
  }
  return differences;
}

bool Hypernetwork::generatesImageRight(std::size_t pair) const {
  const std::vector<std::int32_t> sentence = instance(2 * pair).values();
  PrefixVoteIndex* index = literal ? nullptr : exactVoteIndex(sentence);
  std::optional<GeneratedImageCheck> check;
  // Each position consults every group of the sentence's windows; with
  // many of them, generating the whole image costs less.
  constexpr std::size_t kMostGroupsToCheck = 64;
  if (index != nullptr) check.emplace(*index, sentence);
  if (!check || check->groupCount() > kMostGroupsToCheck) {
    ImageBuffer generated;
    generated.fill(-1);
    generateImage(sentence, generated);
    return mismatchesAgainst(generated, pair) == 0;
  }
  // Wrong positions tend to stay wrong from pass to pass: the one found
  // last time is tried first.
  if (firstWrongPosition.size() < pairCount()) {
    firstWrongPosition.resize(pairCount(), 0);
  }
  std::uint16_t& hint = firstWrongPosition[pair];
  const ImageBuffer reference = referenceImage(pair);
  if (check->generatedAt(hint) != reference[hint]) return false;
  for (std::uint16_t position = 0; position < kImageSize; ++position) {
    if (position != hint &&
        check->generatedAt(position) != reference[position]) {
      hint = position;
      return false;
    }
  }
  return true;
}

std::uint32_t Hypernetwork::mismatchesAgainst(const ImageBuffer& generated,
                                              std::size_t pair) const {
  const ImageBuffer reference = referenceImage(pair);
  return countDifferences(generated.data(), reference.data(),
                          static_cast<std::int32_t>(kImageSize));
}

// Positions past a shorter image hold -1, as ungenerated ones do; an image
// longer than the buffer is compared over the buffer only.
ImageBuffer Hypernetwork::referenceImage(std::size_t pair) const {
  const InstanceView image = instance(2 * pair + 1);
  ImageBuffer reference;
  reference.fill(-1);
  std::copy_n(image.begin(), std::min(image.size(), kImageSize),
              reference.begin());
  return reference;
}

void Hypernetwork::prepareQueries() const {
  // Loading is left to the first reader as ever: a data set that failed to
  // load holds no instances and must not report its failure twice.
  if (!dataSet->loaded && !dataSet->instances.empty()) dataSet->load();
  if (literal) return;
  const auto n = static_cast<std::uint32_t>(order);
  if (PrefixVoteIndex* index =
          storage->prefixVotes(n, n + static_cast<std::uint32_t>(order2))) {
    index->refresh();
  }
}

}  // namespace hn

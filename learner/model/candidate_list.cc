#include "learner/model/candidate_list.h"

#include <algorithm>

#include "learner/data/hyperedge.h"
#include "learner/data/image.h"

namespace hn {

namespace {

constexpr std::size_t kInitialSlots = 64;

// Fibonacci hashing: the product's high bits are well mixed.
std::size_t hashValue(std::int32_t value) {
  return static_cast<std::size_t>(
      static_cast<std::uint32_t>(value) * 0x9E3779B97F4A7C15ull >> 32);
}

}  // namespace

void CandidateList::clear() {
  candidates.clear();
  slots.clear();
}

void CandidateList::vote(std::int32_t value, double weight) {
  if (2 * (candidates.size() + 1) > slots.size()) growSlots();
  const std::size_t slot = findSlot(value);
  if (slots[slot] != 0) {
    candidates[slots[slot] - 1].score += weight;
    return;
  }
  candidates.push_back({value, weight});
  slots[slot] = static_cast<std::uint32_t>(candidates.size());
}

std::size_t CandidateList::findSlot(std::int32_t value) const {
  const std::size_t mask = slots.size() - 1;
  std::size_t slot = hashValue(value) & mask;
  while (slots[slot] != 0 && candidates[slots[slot] - 1].value != value) {
    slot = (slot + 1) & mask;
  }
  return slot;
}

void CandidateList::growSlots() {
  slots.assign(std::max(kInitialSlots, 2 * slots.size()), 0);
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    slots[findSlot(candidates[i].value)] = static_cast<std::uint32_t>(i + 1);
  }
}

void CandidateList::rank() {
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& x, const Candidate& y) {
                     return weighsMore(x.score, y.score);
                   });
  slots.clear();
}

std::vector<std::uint32_t> CandidateList::bestIndexPerImagePosition() const {
  // Per position, the highest score; of equal ones the first voted. Packed
  // positions lie in (-kPositionRadix, kPositionRadix).
  std::vector<std::uint32_t> bestOf(2 * kPositionRadix, 0);  // index + 1
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    std::uint32_t& best = bestOf[static_cast<std::size_t>(
        imageVertexPosition(candidates[i].value) + kPositionRadix)];
    if (best == 0 ||
        weighsMore(candidates[i].score, candidates[best - 1].score)) {
      best = static_cast<std::uint32_t>(i + 1);
    }
  }
  std::vector<std::uint32_t> survivors;
  for (const std::uint32_t best : bestOf) {
    if (best != 0) survivors.push_back(best - 1);
  }
  return survivors;
}

std::vector<Candidate> CandidateList::bestPerImagePosition() const {
  std::vector<Candidate> best;
  for (const std::uint32_t index : bestIndexPerImagePosition()) {
    best.push_back(candidates[index]);
  }
  return best;
}

void CandidateList::rankBestPerImagePosition() {
  struct Survivor {
    double score;
    std::uint32_t index;
  };
  std::vector<Survivor> survivors;
  for (const std::uint32_t index : bestIndexPerImagePosition()) {
    survivors.push_back({candidates[index].score, index});
  }
  // The ranked order: by score, equal scores in voting order.
  std::sort(survivors.begin(), survivors.end(),
            [](const Survivor& x, const Survivor& y) {
              if (weighsMore(x.score, y.score)) return true;
              return !weighsMore(y.score, x.score) && x.index < y.index;
            });
  std::vector<Candidate> ranked;
  ranked.reserve(survivors.size());
  for (const Survivor& survivor : survivors) {
    ranked.push_back(candidates[survivor.index]);
  }
  candidates = std::move(ranked);
  slots.clear();
}

}  // namespace hn

#include "learner/model/candidate_list.h"

#include <algorithm>
#include <cmath>

#include "learner/data/hyperedge.h"

namespace hn {

void CandidateList::clear() {
  candidates.clear();
  indexOf.clear();
}

void CandidateList::vote(std::int32_t value, double weight) {
  const auto [entry, isNew] = indexOf.try_emplace(value, candidates.size());
  if (isNew) {
    candidates.push_back({value, weight});
  } else {
    candidates[entry->second].score += weight;
  }
}

void CandidateList::rank() {
  // NaN scores rank last so the order stays strict.
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& x, const Candidate& y) {
                     if (std::isnan(x.score)) return false;
                     return std::isnan(y.score) || x.score > y.score;
                   });
  indexOf.clear();
}

void CandidateList::keepBestPerImagePosition() {
  // Positions of packed vertices lie in (-kPositionRadix, kPositionRadix).
  std::vector<bool> seen(2 * kPositionRadix, false);
  std::erase_if(candidates, [&seen](const Candidate& candidate) {
    const auto slot = static_cast<std::size_t>(
        imageVertexPosition(candidate.value) + kPositionRadix);
    if (seen[slot]) return true;
    seen[slot] = true;
    return false;
  });
}

}  // namespace hn

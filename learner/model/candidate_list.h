#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace hn {

// A value and the summed weight of the hyperedges that voted for it.
struct Candidate {
  std::int32_t value;
  double score;
};

// Votes summed per value, in the order values first received a vote; after
// `rank`, by decreasing score with ties in that first-vote order, so of
// equally scored candidates the earliest wins.
class CandidateList {
 public:
  void clear();
  void vote(std::int32_t value, double weight);
  void rank();
  // `rank`, then keeps for every image position only its best-ranked
  // vertex; only the survivors are sorted.
  void rankBestPerImagePosition();
  // The vertices `rankBestPerImagePosition` keeps, in position order, for
  // callers that need no ranking.
  std::vector<Candidate> bestPerImagePosition() const;

  bool empty() const { return candidates.empty(); }
  const std::vector<Candidate>& ranked() const { return candidates; }

 private:
  // The slot of `value` in `slots`: the one holding it, or the empty one
  // where it belongs.
  std::size_t findSlot(std::int32_t value) const;
  std::vector<std::uint32_t> bestIndexPerImagePosition() const;
  void growSlots();

  std::vector<Candidate> candidates;
  // An open-addressing table over `candidates` so a vote is not a linear
  // search: each slot holds a candidate's index + 1, or 0 when empty. Its
  // size is a power of two, at most half full.
  std::vector<std::uint32_t> slots;
};

}  // namespace hn

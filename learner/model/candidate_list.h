#pragma once

#include <cstdint>
#include <unordered_map>
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
  // Call once all votes are in.
  void rank();
  // Keeps, for every image position, only its best-ranked vertex.
  void keepBestPerImagePosition();

  bool empty() const { return candidates.empty(); }
  const std::vector<Candidate>& ranked() const { return candidates; }

 private:
  std::vector<Candidate> candidates;
  // Where each value sits in `candidates`, so a vote is not a linear search.
  std::unordered_map<std::int32_t, std::size_t> indexOf;
};

}  // namespace hn

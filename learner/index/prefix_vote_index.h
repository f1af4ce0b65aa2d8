#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <unordered_map>
#include <utility>
#include <vector>

#include "learner/data/population.h"
#include "learner/index/flat_int_map.h"

namespace hn {

// A secondary index of a hyperedge store: for every distinct prefix (the
// first `prefixLength` vertices) of the stored hyperedges of one length, the
// votes that a pattern made of that prefix and wildcards collects from its
// matches. Per vertex value found in the slots after the prefix it keeps the
// summed weight over all its slot occurrences and the best-ranked hyperedge
// holding it, which decides between equal sums. A query then reads one
// small table per window instead of every matching hyperedge.
//
// An observer of the store from construction to destruction: it learns of
// every insertion and weight change and keeps its tables up to date. The
// population must outlive it.
//
// The sums are maintained by adding differences, so they equal the sums in
// any other order only while every partial sum is exact: `sumsExact` says
// whether that holds for queries of a given number of windows.
class PrefixVoteIndex final : public StoreObserver {
 public:
  static constexpr std::uint32_t kNoVote = 0xFFFFFFFF;
  static constexpr HyperedgeId kNoHyperedge = 0xFFFFFFFF;

  struct Vote {
    std::int32_t vertex;
    // Dense number of the vertex over the whole index, for callers' tables.
    std::uint32_t vertexId;
    // The summed weight over all slot occurrences, kept by adding
    // differences: within `error` of the exact sum of the current weights.
    double sum;
    // The first slot after the prefix that holds the vertex in `best`.
    std::uint32_t bestSlot;
    HyperedgeId best;
    // `best` lost weight and may no longer be the best; see `refresh`.
    bool bestStale;
    // The most binary digits after the point of any weight ever summed
    // here (see `fractionBitsOf`), at most 255.
    std::uint8_t fractionBits;
    // How many slot occurrences the sum adds up; kManyTerms from there on.
    std::uint16_t terms;
    // The group's next vote for a vertex of the same image position, or
    // kNoVote.
    std::uint32_t nextAtPosition;
    // An upper bound on |sum - exact sum|, 0 while no addition rounded, and
    // one on the sum of the occurrences' absolute weights: rounded up to
    // floats, which is all a bound needs and keeps the tables small.
    float error;
    float magnitude;
  };
  static constexpr std::uint16_t kManyTerms = 0xFFFF;
  // The count of terms that `SumBound` is given for kManyTerms: more than
  // any bound can be trusted with.
  static std::uint32_t termsOf(const Vote& vote) {
    return vote.terms == kManyTerms ? 0xFFFFFFFF : vote.terms;
  }

  // The best-ranked hyperedge holding a vertex, and the first slot after
  // the prefix where it holds it.
  struct Holder {
    HyperedgeId hyperedge;
    std::uint32_t slot;
  };

  PrefixVoteIndex(Population& population, std::uint32_t prefixLength,
                  std::uint32_t length);
  ~PrefixVoteIndex();
  PrefixVoteIndex(const PrefixVoteIndex&) = delete;
  PrefixVoteIndex& operator=(const PrefixVoteIndex&) = delete;

  std::uint32_t prefixLength() const { return prefixLength_; }
  std::uint32_t length() const { return length_; }

  // Hyperedges of another vertex count are ignored: no pattern of `length`
  // vertices matches them.
  void inserted(HyperedgeId id) override;
  void reweighted(HyperedgeId id, double previous) override;
  void emptied() override;
  void loaded() override;

  // Brings every best-ranked holder up to date after weights went down.
  void refresh();
  // Whether some holder awaits `refresh`.
  bool holdersStale() const { return !stale.empty(); }

  // A group that some windows of a sentence match.
  struct SentenceGroup {
    std::uint32_t group;
    // The first window (counted from 0) that matches it, and how many do.
    std::uint32_t firstWindow;
    std::uint32_t windows;
  };
  // The groups that the windows of `sentence` (its runs of `prefixLength`
  // consecutive values) match, in order of their first window. A sentence
  // that repeats its windows gives each group once, with its count.
  std::vector<SentenceGroup> sentenceGroups(
      std::span<const std::int32_t> sentence) const;

  // Appends the numbers of the groups whose prefix matches `window`, -1 on
  // either side matching anything, in no particular order.
  void matchingGroups(std::span<const std::int32_t> window,
                      std::vector<std::uint32_t>& groups) const;
  const std::vector<Vote>& votes(std::uint32_t group) const;
  // The first of the group's votes for vertices at `position` (the packed
  // position of an image vertex); follow `nextAtPosition` for the others.
  std::uint32_t firstVoteAt(std::uint32_t group, std::int32_t position) const;

  // Of the hyperedges of `groups` holding `vertex`, the best-ranked one:
  // the first match to vote for the vertex when the groups' members vote by
  // rank. A stale holder is found afresh, without keeping it. The vertex
  // must have a vote in one of the groups.
  Holder firstHolder(std::span<const std::uint32_t> groups,
                     std::int32_t vertex) const;

  // A candidate of voting over a sentence's windows: a vertex, the window
  // of its first vote and the sum of its votes.
  struct Tally {
    std::int32_t vertex;
    std::uint32_t firstWindow;
    double sum;
  };
  // The ranking of the candidates of voting over `sentence` window by
  // window (each window's matches by rank, each match's slots in order):
  // the higher sum first; of equal sums, the one voting met first (see
  // `votedBefore`). Sums must be exact (see `sumsExact`). `groups` is
  // scratch space.
  bool ranksBefore(std::span<const std::int32_t> sentence, const Tally& a,
                   const Tally& b, std::vector<std::uint32_t>& groups) const {
    if (a.sum != b.sum) return a.sum > b.sum;
    return votedBefore(sentence, a, b, groups);
  }
  // Whether voting over `sentence` meets `a` before `b`: by the window of
  // each one's first vote, then by the rank of the first match holding each
  // there, then by slot.
  bool votedBefore(std::span<const std::int32_t> sentence, const Tally& a,
                   const Tally& b, std::vector<std::uint32_t>& groups) const {
    if (a.firstWindow != b.firstWindow) return a.firstWindow < b.firstWindow;
    return a.vertex != b.vertex && heldBefore(sentence, a, b, groups);
  }

  std::size_t vertexIdCount() const { return vertexIds.size(); }

  // Whether the sums' error bounds hold: every weight ever seen finite.
  // Where `sumsExact` does not hold but these do, a query's sums are
  // intervals that hold the sums voting in its order would give; where
  // intervals cannot decide, `orderedSum` gives that sum itself.
  bool boundsHold() const { return !everNonFinite; }

  // The sum of the votes for `vertex` that voting over `sentence` window by
  // window adds up (each window's matches by rank, each match's slots in
  // order), added in that order: the defined candidate score. The vertex
  // must have a vote in some group that a window of the sentence matches.
  double orderedSum(std::span<const std::int32_t> sentence,
                    std::int32_t vertex) const;
  // `orderedSum` of each of `vertices` (distinct), into `sums`, in one
  // pass over the sentence's matches instead of one per vertex.
  void orderedSums(std::span<const std::int32_t> sentence,
                   std::span<const std::int32_t> vertices,
                   std::span<double> sums) const;

  // Whether the maintained sums equal the sums a query of `windows` windows
  // would add up in its own order: all weights finite multiples of one
  // power of two, small enough that no sum is ever rounded.
  bool sumsExact(std::size_t windows) const;

 private:
  struct Group {
    std::vector<Vote> votes;
    // Per vertex its vote; per position its first vote.
    FlatIntMap voteOf;
    FlatIntMap firstVoteAt;
    std::vector<HyperedgeId> members;
  };
  // Prefixes are looked up as spans, without building a vector.
  struct PrefixHash {
    using is_transparent = void;
    std::size_t operator()(std::span<const std::int32_t> prefix) const;
  };
  struct PrefixEqual {
    using is_transparent = void;
    bool operator()(std::span<const std::int32_t> x,
                    std::span<const std::int32_t> y) const {
      return std::equal(x.begin(), x.end(), y.begin(), y.end());
    }
  };

  // Takes a hyperedge of `length` vertices into the tables.
  void add(HyperedgeId id, const HyperedgeView& hyperedge);
  // The ranking order between stored hyperedges.
  bool ranksBefore(HyperedgeId x, HyperedgeId y) const;
  bool ranksBefore(const HyperedgeView& x, HyperedgeId y) const;
  // `votedBefore` for two vertices first voted for in the same window.
  bool heldBefore(std::span<const std::int32_t> sentence, const Tally& a,
                  const Tally& b, std::vector<std::uint32_t>& groups) const;
  void clear();
  Group& groupOf(std::span<const std::int32_t> vertices);
  Vote& voteFor(Group& group, std::int32_t vertex);
  void recordWeight(double weight, double previous);
  // Adds `weight - previous` to a vote's sum, keeping its bounds.
  static void addToVote(Vote& vote, double weight, double previous);
  void makeStale(std::uint32_t group, std::uint32_t vote);
  Holder bestHolder(const Group& group, std::int32_t vertex) const;

  Population& population;
  std::uint32_t prefixLength_;
  std::uint32_t length_;
  std::vector<Group> groups;
  std::vector<std::vector<std::int32_t>> prefixes;
  std::unordered_map<std::vector<std::int32_t>, std::uint32_t, PrefixHash,
                     PrefixEqual>
      groupOfPrefix;
  bool prefixWithWildcard = false;
  std::unordered_map<std::int32_t, std::uint32_t> vertexIds;

  // Votes whose best holder lost weight: (group, vote) pairs.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> stale;

  // Exactness bookkeeping.
  int fractionBits = 0;
  double absoluteWeightSum = 0.0;
  double peakAbsoluteWeightSum = 0.0;
  bool everInexact = false;
  bool everNonFinite = false;
};

}  // namespace hn

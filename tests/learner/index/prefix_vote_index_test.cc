#include "learner/index/prefix_vote_index.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <vector>

#include "learner/data/hyperedge_testing.h"
#include "learner/data/simple_stl_map_storage.h"

namespace {

using hn::HyperedgeId;
using hn::PrefixVoteIndex;
using hn::SimpleSTLMapStorage;
using hn::testing::edge;
using Tally = PrefixVoteIndex::Tally;

// A one-word prefix and two image vertices: groups by the first word.
constexpr std::uint32_t kPrefix = 1;
constexpr std::uint32_t kLength = 3;

// Ids of the test's hyperedges, in the order they are stored.
constexpr HyperedgeId kA = 0;     // (1, 10005, 20006)
constexpr HyperedgeId kB = 1;     // (1, 10005, 30007)
constexpr HyperedgeId kC = 2;     // (2, 10005, 10005)
constexpr HyperedgeId kNext = 4;  // the next one stored after those

struct Indexed {
  Indexed() {
    store.setWeight(edge({1, 10005, 20006}), 3.0);
    store.setWeight(edge({1, 10005, 30007}), 2.0);
    store.setWeight(edge({2, 10005, 10005}), 1.0);
    store.setWeight(edge({1, 20006}), 9.0);  // another length: not counted
  }

  std::uint32_t group(std::int32_t word) const {
    std::vector<std::uint32_t> found;
    index.matchingGroups(std::vector<std::int32_t>{word}, found);
    EXPECT_EQ(1u, found.size()) << "word " << word;
    return found.at(0);
  }

  const PrefixVoteIndex::Vote& vote(std::int32_t word,
                                    std::int32_t vertex) const {
    for (const PrefixVoteIndex::Vote& vote : index.votes(group(word))) {
      if (vote.vertex == vertex) return vote;
    }
    ADD_FAILURE() << "no vote for " << vertex << " after word " << word;
    return index.votes(group(word)).front();
  }

  HyperedgeId firstHolder(std::int32_t word, std::int32_t vertex) const {
    const std::uint32_t groups[] = {group(word)};
    return index.firstHolder(groups, vertex).hyperedge;
  }

  SimpleSTLMapStorage store;
  PrefixVoteIndex index{store, kPrefix, kLength};
};

// Per group, a vertex sums the weight of every slot that holds it.
TEST(PrefixVotes, SumEverySlotOfEveryMember) {
  Indexed f;
  EXPECT_EQ(5.0, f.vote(1, 10005).sum);
  EXPECT_EQ(3.0, f.vote(1, 20006).sum);
  EXPECT_EQ(2.0, f.vote(1, 30007).sum);
  EXPECT_EQ(2.0, f.vote(2, 10005).sum);
  EXPECT_EQ(kC, f.vote(2, 10005).best);
  // Later changes of the store reach the sums.
  f.store.add(edge({1, 10005, 30007}));
  f.store.getWeight(edge({1, 40008, 10005}));
  EXPECT_EQ(6.0, f.vote(1, 10005).sum);
  EXPECT_EQ(0.0, f.vote(1, 40008).sum);
}

// The best holder follows rising weights at once; one that loses weight
// goes stale until `refresh`, and is found afresh meanwhile.
TEST(PrefixVotes, BestHoldersGoStaleWhenTheyFallUntilRefreshed) {
  Indexed f;
  EXPECT_EQ(kA, f.vote(1, 10005).best);
  EXPECT_EQ(1u, f.vote(1, 10005).bestSlot);
  EXPECT_FALSE(f.index.holdersStale());

  f.store.setWeight(edge({1, 10005, 20006}), 1.0);
  EXPECT_TRUE(f.index.holdersStale());
  EXPECT_TRUE(f.vote(1, 10005).bestStale);
  EXPECT_EQ(kB, f.firstHolder(1, 10005));
  EXPECT_EQ(kA, f.firstHolder(1, 20006));

  f.index.refresh();
  EXPECT_FALSE(f.index.holdersStale());
  EXPECT_FALSE(f.vote(1, 10005).bestStale);
  EXPECT_EQ(kB, f.vote(1, 10005).best);
  EXPECT_EQ(kA, f.vote(1, 20006).best);

  // Equal weights: the smaller in vertex order holds first.
  f.store.setWeight(edge({1, 10005, 20006}), 2.0);
  EXPECT_EQ(kA, f.vote(1, 10005).best);
  EXPECT_FALSE(f.index.holdersStale());
  // A hyperedge that enters heavier than all takes over.
  f.store.setWeight(edge({1, 30007, 10005}), 8.0);
  EXPECT_EQ(kNext, f.vote(1, 10005).best);
  EXPECT_EQ(2u, f.vote(1, 10005).bestSlot);
}

TEST(PrefixVotes, FollowTheStoreWhenItIsEmptiedOrLoaded) {
  Indexed f;
  f.store.initialize();
  std::vector<std::uint32_t> found;
  f.index.matchingGroups(std::vector<std::int32_t>{1}, found);
  EXPECT_TRUE(found.empty());
  EXPECT_EQ(0u, f.index.vertexIdCount());

  const std::vector<std::vector<std::int32_t>> model = {{1, 50000, 50000},
                                                        {3, 50000, 1}};
  std::size_t next = 0;
  f.store.load(kLength, model.size(), [&](std::span<std::int32_t> vertices) {
    std::copy(model[next].begin(), model[next].end(), vertices.begin());
    ++next;
    return 0.5;
  });
  EXPECT_EQ(1.0, f.vote(1, 50000).sum);
  EXPECT_EQ(0.5, f.vote(3, 1).sum);
  EXPECT_EQ(1u, f.firstHolder(3, 50000));
}

// Sums are trusted only while every weight is a multiple of one power of
// two small enough for the sums a query adds up; a weight that ever broke
// that is not forgotten.
TEST(PrefixVotes, SumsAreExactOnlyForSmallBinaryFractions) {
  Indexed f;
  EXPECT_TRUE(f.index.sumsExact(1));
  EXPECT_TRUE(f.index.sumsExact(1000));
  // The bound on a sum is the weights' magnitudes (6) times the votes of a
  // hyperedge (2 slots per window), doubled: past 2^53 from about 2^48.4
  // windows on.
  EXPECT_FALSE(f.index.sumsExact(std::size_t{1} << 49));

  f.store.setWeight(edge({2, 10005, 10005}), 0.1);
  EXPECT_FALSE(f.index.sumsExact(1));
  f.store.setWeight(edge({2, 10005, 10005}), 1.0);
  EXPECT_FALSE(f.index.sumsExact(1));
}

// Voting's candidates: the higher sum first; of equal sums the one met
// first, by window, then by the rank of the match that holds each, then by
// the slot.
TEST(PrefixVotes, RankCandidatesAsVotingWindowByWindowWould) {
  Indexed f;
  f.store.setWeight(edge({2, 60000, 70000}), 5.0);
  f.index.refresh();
  const std::vector<std::int32_t> sentence = {1, 2};
  std::vector<std::uint32_t> scratch;
  const auto before = [&](Tally a, Tally b) {
    return f.index.ranksBefore(sentence, a, b, scratch);
  };
  // By sum, whatever the window.
  EXPECT_TRUE(before({30007, 1, 4.0}, {20006, 0, 3.0}));
  EXPECT_FALSE(before({20006, 0, 3.0}, {30007, 1, 4.0}));
  // Equal sums: the earlier window.
  EXPECT_TRUE(before({60000, 0, 3.0}, {20006, 1, 3.0}));
  // Same window: the better-ranked holder (A weighs 3, B 2).
  EXPECT_TRUE(before({20006, 0, 2.0}, {30007, 0, 2.0}));
  EXPECT_FALSE(before({30007, 0, 2.0}, {20006, 0, 2.0}));
  // Same holder: the earlier slot.
  EXPECT_TRUE(before({60000, 1, 1.0}, {70000, 1, 1.0}));
  EXPECT_FALSE(before({70000, 1, 1.0}, {60000, 1, 1.0}));
  EXPECT_FALSE(before({60000, 1, 1.0}, {60000, 1, 1.0}));
}

// Weights as fixed-point integers of 2^-80, exact for the test's weights:
// the exact sum the tables' running sums are compared with.
__extension__ typedef __int128 Int128;
Int128 fixedPoint(double weight) {
  return static_cast<Int128>(std::ldexp(weight, 80));
}

// A vote's running sum, kept by adding each change of a weight, stays
// within its error bound of the exact sum of the current weights, however
// they change; its magnitude bounds their absolute sum, its terms count
// the slots; and while weights are binary fractions nothing rounds.
TEST(PrefixVotes, RunningSumsStayWithinTheirErrorBounds) {
  for (const double step : {0.1, 0.3, -0.1, 1e-3, 0.7, 0.5}) {
    SimpleSTLMapStorage store;
    PrefixVoteIndex index{store, kPrefix, kLength};
    std::mt19937 random(3);
    std::vector<hn::Hyperedge> stored;
    for (std::int32_t i = 0; i < 6; ++i) {
      stored.push_back(edge({1, 10005, 20006 + 10000 * (i % 3) + i}));
      store.setWeight(stored.back(), 1.0 + i);
    }
    for (int change = 0; change < 400; ++change) {
      const hn::Hyperedge& h = stored[static_cast<std::size_t>(
          std::uniform_int_distribution<int>(0, 5)(random))];
      const double sign =
          std::uniform_int_distribution<int>(0, 2)(random) == 0 ? -1.0 : 1.0;
      store.setWeight(h, store.getWeight(h) + sign * step);
      for (const PrefixVoteIndex::Vote& vote : index.votes(0)) {
        Int128 exact = 0;
        double magnitude = 0.0;
        std::uint32_t terms = 0;
        for (const hn::Hyperedge& s : stored) {
          for (std::uint32_t slot = kPrefix; slot < kLength; ++slot) {
            if (s.vertices[slot] != vote.vertex) continue;
            exact += fixedPoint(store.getWeight(s));
            magnitude += std::fabs(store.getWeight(s));
            ++terms;
          }
        }
        const Int128 off = fixedPoint(vote.sum) - exact;
        const double distance =
            std::ldexp(static_cast<double>(off < 0 ? -off : off), -80);
        EXPECT_LE(distance, vote.error)
            << "step " << step << ", change " << change;
        EXPECT_LE(magnitude * (1 - 0x1p-40), vote.magnitude);
        EXPECT_EQ(terms, vote.terms);
        if (step == 0.5) {
          EXPECT_EQ(0.0, vote.error);
        }
      }
    }
  }
}

}  // namespace

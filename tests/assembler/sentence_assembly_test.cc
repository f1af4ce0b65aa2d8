#include "assembler/sentence_assembly.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace hn {
namespace {

using Sentence = std::vector<std::int32_t>;

Fragment fragment(Sentence values) { return Fragment{std::move(values), 1.0}; }

TEST(AssembleSentence, WorkedExamples) {
  const struct {
    const char* name;
    std::vector<Fragment> fragments;
    Sentence want;
  } cases[] = {
      {"restart after each extension",
       {fragment({1, 2, 3}), fragment({1, 2, 9}), fragment({2, 9, 4})},
       {1, 2, 9, 4}},
      {"seed keeps n - 1 values; leftovers discarded",
       {fragment({5, 6, 7}), fragment({6, 7, 8}), fragment({4, 5, 6})},
       {4, 5, 6}},
      {"single fragment", {fragment({1, 2, 3})}, {1, 2}},
      {"one-value fragments go to the front",
       {fragment({1}), fragment({2}), fragment({3})},
       {3, 2}},
      {"no fragments", {}, {}},
      // 1 3 fits both ends of 3 1: the front test wins (the back would
      // give 3 1 3).
      {"front before back",
       {fragment({1, 2}), fragment({3, 1}), fragment({1, 3})},
       {1, 3, 1}},
      // 2 3 4 fits only once 1 2 3, later in the list, has extended.
      {"earlier failures are retried",
       {fragment({1, 2, 0}), fragment({2, 3, 4}), fragment({1, 2, 3})},
       {1, 2, 3, 4}},
      {"values of 1000 or more match exactly like any other",
       {fragment({1, 1000, 0}), fragment({1, 1001, 3}), fragment({1, 1000, 3})},
       {1, 1000, 3}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.want, assembleSentence(c.fragments)) << c.name;
  }
}

TEST(AssembleSentence, FragmentsWithoutValuesAreSetAside) {
  EXPECT_EQ(Sentence{}, assembleSentence({fragment({}), fragment({})}));
  EXPECT_EQ((Sentence{1, 2}),
            assembleSentence({fragment({}), fragment({1, 2, 3})}));
}

TEST(AssembleSentence, FragmentsOfAnotherLengthThanTheSeedAreDiscarded) {
  // 2 5 would overlap the seed 1 2 by one value, but it is not the
  // record's length.
  EXPECT_EQ((Sentence{1, 2, 3}),
            assembleSentence({fragment({1, 2, 7}), fragment({2, 5}),
                              fragment({9, 1, 2, 3, 4}), fragment({1, 2, 3})}));
  EXPECT_EQ(Sentence{}, assembleSentence({fragment({5}), fragment({1, 2, 3})}));
  EXPECT_EQ((Sentence{8}), assembleSentence({fragment({8, 9}), fragment({1})}));
}

TEST(MatchesFront, LastValuesOfFragmentEqualFirstValuesOfSentence) {
  EXPECT_TRUE(matchesFront(fragment({4, 5, 6}), {5, 6, 7, 8}));
  EXPECT_FALSE(matchesFront(fragment({4, 5, 9}), {5, 6, 7, 8}));
  EXPECT_FALSE(matchesFront(fragment({5, 6, 7}), {5, 6, 7, 8}));
  EXPECT_TRUE(matchesFront(fragment({4}), {}));
  EXPECT_TRUE(matchesFront(fragment({4, 5}), {5}));
}

TEST(MatchesBack, FirstValuesOfFragmentEqualLastValuesOfSentence) {
  EXPECT_TRUE(matchesBack(fragment({7, 8, 9}), {5, 6, 7, 8}));
  EXPECT_FALSE(matchesBack(fragment({6, 8, 9}), {5, 6, 7, 8}));
  EXPECT_FALSE(matchesBack(fragment({5, 6, 7}), {5, 6, 7, 8}));
  EXPECT_TRUE(matchesBack(fragment({4}), {}));
  EXPECT_TRUE(matchesBack(fragment({5, 9}), {5}));
}

TEST(MatchesFrontAndBack, NeverReachOutsideSentenceOrFragment) {
  for (const Sentence& sentence : {Sentence{}, Sentence{1}, Sentence{1, 2}}) {
    EXPECT_FALSE(matchesFront(fragment({}), sentence)) << sentence.size();
    EXPECT_FALSE(matchesBack(fragment({}), sentence)) << sentence.size();
    EXPECT_FALSE(matchesFront(fragment({0, 1, 2, 3}), sentence))
        << sentence.size();
    EXPECT_FALSE(matchesBack(fragment({1, 2, 3, 4}), sentence))
        << sentence.size();
  }
}

}  // namespace
}  // namespace hn

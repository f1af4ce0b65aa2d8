#include "assembler/sentence_assembly.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
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
      {"the earliest of several fragments at one end wins",
       {fragment({1, 0}), fragment({1, 6}), fragment({1, 5})},
       {1, 6}},
      // Taking the later 5 1 at the front first would give 1 5 1 7.
      {"an earlier fragment at the back beats a later one at the front",
       {fragment({1, 0}), fragment({1, 5}), fragment({5, 1}), fragment({1, 7})},
       {5, 1, 5}},
      {"a fragment used at the front is gone for the back",
       {fragment({1, 0}), fragment({1, 1})},
       {1, 1}},
      {"each copy of a repeated fragment extends once",
       {fragment({1, 0}), fragment({1, 1}), fragment({1, 1})},
       {1, 1, 1}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.want, assembleSentence(c.fragments)) << c.name;
    EXPECT_EQ(c.want, assembleSentenceLiterally(c.fragments)) << c.name;
  }
}

// Values 1 to 4 stand for the words "a small blue square".
TEST(AssembleSentence, TheWholeFirstFragmentLetsAPerfectChainComeOutWhole) {
  const struct {
    const char* name;
    std::vector<Fragment> fragments;
    Sentence allButLast;
    Sentence whole;
  } cases[] = {
      // The seed "a" fits neither "small blue" nor "blue square".
      {"two-word windows in chain order",
       {fragment({1, 2}), fragment({2, 3}), fragment({3, 4})},
       {1},
       {1, 2, 3, 4}},
      {"three-word windows in chain order",
       {fragment({1, 2, 3}), fragment({2, 3, 4})},
       {1, 2},
       {1, 2, 3, 4}},
      {"the heaviest window in the middle",
       {fragment({2, 3}), fragment({1, 2}), fragment({3, 4})},
       {1, 2},
       {1, 2, 3, 4}},
      // Nothing overlaps the seed in either setting: the others stay out.
      {"fragments that do not chain",
       {fragment({5, 6, 7}), fragment({1, 2, 3}), fragment({9, 9, 9})},
       {5, 6},
       {5, 6, 7}},
      {"no fragments", {}, {}, {}},
      // The seed's last value can also block what the shorter seed lets in.
      {"a window that fits only the shorter seed",
       {fragment({1, 2, 3}), fragment({1, 2, 9}), fragment({2, 9, 4})},
       {1, 2, 9, 4},
       {1, 2, 3}},
      {"one-value fragments",
       {fragment({1}), fragment({2}), fragment({3})},
       {3, 2},
       {3, 2, 1}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.allButLast, assembleSentence(c.fragments)) << c.name;
    EXPECT_EQ(c.whole, assembleSentence(c.fragments, Seeding::kWholeFragment))
        << c.name;
    EXPECT_EQ(c.whole,
              assembleSentenceLiterally(c.fragments, Seeding::kWholeFragment))
        << c.name;
  }
}

std::string describe(const std::vector<Fragment>& fragments) {
  std::ostringstream text;
  for (const Fragment& f : fragments) {
    text << '(';
    for (const std::int32_t value : f.values) text << ' ' << value;
    text << " )";
  }
  return text.str();
}

// Records whose fragments overlap often: few distinct values, repeated
// fragments, and now and then an empty one or one of another length.
class RecordGenerator {
 public:
  explicit RecordGenerator(unsigned seed) : random_(seed) {}

  std::vector<Fragment> record(std::size_t maxFragments) {
    const std::size_t length = draw(1, 5);
    const std::size_t alphabet = draw(1, 4);
    std::vector<Fragment> fragments(draw(0, maxFragments));
    for (std::size_t i = 0; i < fragments.size(); ++i) {
      const std::size_t kind = draw(0, 19);
      if (kind == 0) continue;  // without values
      if (kind <= 4 && i > 0) {
        fragments[i] = fragments[draw(0, i - 1)];
      } else {
        fragments[i] =
            randomFragment(kind == 5 ? draw(1, 5) : length, alphabet);
      }
    }
    return fragments;
  }

 private:
  std::size_t draw(std::size_t low, std::size_t high) {
    return std::uniform_int_distribution<std::size_t>(low, high)(random_);
  }

  Fragment randomFragment(std::size_t length, std::size_t alphabet) {
    static constexpr std::int32_t kValues[] = {0, 1000, -1, 7};
    Fragment f = fragment({});
    for (std::size_t i = 0; i < length; ++i) {
      f.values.push_back(kValues[draw(0, alphabet - 1)]);
    }
    return f;
  }

  std::mt19937 random_;
};

TEST(AssembleSentence, GivesTheLiteralScansResultOnGeneratedRecords) {
  const struct {
    std::size_t records;
    std::size_t maxFragments;
  } sizes[] = {{5000, 12}, {100, 200}};
  RecordGenerator generator(9);
  for (const auto& size : sizes) {
    for (std::size_t i = 0; i < size.records; ++i) {
      const std::vector<Fragment> fragments =
          generator.record(size.maxFragments);
      for (const Seeding seeding :
           {Seeding::kAllButLastValue, Seeding::kWholeFragment}) {
        ASSERT_EQ(assembleSentenceLiterally(fragments, seeding),
                  assembleSentence(fragments, seeding))
            << describe(fragments)
            << (seeding == Seeding::kWholeFragment ? " whole seed" : "");
      }
    }
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

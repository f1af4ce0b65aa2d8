#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "learner/model/learner_fixture.h"

namespace {

using hn::encodeImageVertex;
using hn::kImageSize;
using hn::testing::filledImage;
using hn::testing::LearnerFixture;

TEST(Accuracy, AnEmptyDataSetIsNotANumber) {
  LearnerFixture f(2, 1, 1);
  EXPECT_TRUE(std::isnan(f.learner.sequenceAccuracy()));
  EXPECT_TRUE(std::isnan(f.learner.labelAccuracy()));
  EXPECT_TRUE(std::isnan(f.learner.imageAccuracy()));
}

// Word 1 has learned the image 7 7 7 ...: a hyperedge per position.
void learnImageOfSevens(LearnerFixture& f) {
  for (std::size_t p = 0; p < kImageSize; ++p) {
    f.store({1, encodeImageVertex(static_cast<std::int32_t>(p), 7)}, 1.0);
  }
}

TEST(ImageAccuracy, ScoresTheShareOfRightPositionsPerPair) {
  std::vector<std::int32_t> partlyWrong = filledImage(7);
  for (std::size_t p = 0; p < 1200; ++p) partlyWrong[p * 4] = 8;
  LearnerFixture perfect(2, 1, 1, {{1}, filledImage(7)});
  learnImageOfSevens(perfect);
  EXPECT_EQ(1.0, perfect.learner.imageAccuracy());

  LearnerFixture twoPairs(2, 1, 1, {{1}, filledImage(7), {1}, partlyWrong});
  learnImageOfSevens(twoPairs);
  EXPECT_DOUBLE_EQ((1.0 + 0.75) / 2, twoPairs.learner.imageAccuracy());
}

TEST(ImageAccuracy, UnvotedPositionsCountAsMinusOne) {
  LearnerFixture nothingLearned(2, 1, 1, {{1}, filledImage(7)});
  EXPECT_EQ(0.0, nothingLearned.learner.imageAccuracy());

  // Past a short image the reference holds -1, like an unvoted position.
  LearnerFixture shortImage(2, 1, 1, {{1}, {7, 7}});
  shortImage.store({1, encodeImageVertex(0, 7)}, 1.0);
  EXPECT_DOUBLE_EQ(4799.0 / 4800.0, shortImage.learner.imageAccuracy());
}

TEST(SequenceAccuracy, CountsEveryElementOfEveryInstance) {
  LearnerFixture tooShort(0, 3, 0, {{1, 2}, {3}});
  EXPECT_EQ(0.0, tooShort.learner.sequenceAccuracy());

  LearnerFixture f(0, 2, 0, {{1, 2, 3}});
  f.store({1, 2}, 1.0);
  // Position 0 from (-1,2), 1 from (1,-1) and (-1,3), 2 from (2,-1).
  EXPECT_DOUBLE_EQ(2.0 / 3.0, f.learner.sequenceAccuracy());
}

TEST(LabelAccuracy, PredictsTheFirstElementFromTheRest) {
  LearnerFixture f(1, 2, 0, {{10, 1, 2}, {20, 1}, {30, 5, 6}});
  f.store({1, 2, 10}, 1.0);
  f.store({5, 6, 31}, 1.0);
  EXPECT_DOUBLE_EQ(1.0 / 3.0, f.learner.labelAccuracy());
}

TEST(CountDifferences, ComparesTheFirstCountValues) {
  const std::int32_t a[] = {1, 2, 3, 4};
  const std::int32_t b[] = {1, 0, 3, 0};
  EXPECT_EQ(2u, hn::Hypernetwork::countDifferences(a, b, 4));
  EXPECT_EQ(1u, hn::Hypernetwork::countDifferences(a, b, 2));
  EXPECT_EQ(0u, hn::Hypernetwork::countDifferences(a, b, 0));
  EXPECT_EQ(0u, hn::Hypernetwork::countDifferences(a, b, -3));
}

}  // namespace

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "learner/model/learner_fixture.h"

namespace {

using hn::encodeImageVertex;
using hn::kImageSize;
using hn::testing::entries;
using hn::testing::Entry;
using hn::testing::filledImage;
using hn::testing::LearnerFixture;

std::vector<Entry> stored(const LearnerFixture& f) {
  return entries(f.storage.getAll(false));
}

TEST(SequenceUpdate, ReinforcesTheWindowsOfEachWrongElement) {
  LearnerFixture f(0, 2, 0, {{1, 2, 3}, {4}});
  f.store({1, 9}, 5.0);
  f.learner.updateSequenceWeights();
  // Position 0: -2, so (1,2). Position 1: 9 beats 2, so both windows.
  // Position 2: (2,3) now votes 3, right. The short instance has none.
  EXPECT_EQ((std::vector<Entry>{{{1, 2}, 1.0}, {{1, 9}, 5.0}, {{2, 3}, 0.5}}),
            stored(f));
}

TEST(SequenceUpdate, RightPredictionsLeaveTheStoreAlone) {
  LearnerFixture f(0, 2, 0, {{1, 2, 1, 2}});
  f.store({1, 2}, 1.0);
  f.store({2, 1}, 1.0);
  f.learner.updateSequenceWeights();
  EXPECT_EQ((std::vector<Entry>{{{1, 2}, 1.0}, {{2, 1}, 1.0}}), stored(f));
}

TEST(LabelUpdate, ReinforcesEveryRunOfFeaturesWithTheTrueLabel) {
  LearnerFixture f(1, 2, 0, {{10, 1, 2}, {20, 1, 2, 3}, {30}});
  f.learner.weightUpdateParameter = 0.0;
  f.learner.updateLabelWeights();
  // A parameter of 0 still inserts the hyperedges, with weight 0.
  EXPECT_EQ((std::vector<Entry>{
                {{1, 2, 10}, 0.0}, {{1, 2, 20}, 0.0}, {{2, 3, 20}, 0.0}}),
            stored(f));
}

TEST(ImageUpdate, ReinforcesEveryWindowOfAWronglyGeneratedPair) {
  std::vector<std::int32_t> image = {5, 6, 7, 8};
  LearnerFixture f(2, 2, 2, {{10, 20, 30}, image});
  std::srand(9);
  f.learner.updateImageWeights();
  const int nextDraw = std::rand();

  // Two windows, two position draws each, in slot order.
  std::srand(9);
  std::vector<Entry> expected;
  for (const std::vector<std::int32_t>& window :
       {std::vector<std::int32_t>{10, 20}, {20, 30}}) {
    Entry entry{window, 0.5};
    for (int slot = 0; slot < 2; ++slot) {
      const unsigned position = static_cast<unsigned>(std::rand()) % 4;
      entry.vertices.push_back(encodeImageVertex(
          static_cast<std::int32_t>(position), image[position]));
    }
    expected.push_back(entry);
  }
  EXPECT_EQ(nextDraw, std::rand()) << "exactly four draws";
  std::vector<Entry> got = stored(f);
  ASSERT_EQ(2u, got.size());
  // Identical draws would merge into one entry of weight 1.0; the seed
  // gives distinct ones.
  std::sort(
      expected.begin(), expected.end(),
      [](const Entry& a, const Entry& b) { return a.vertices < b.vertices; });
  EXPECT_EQ(expected, got);
}

TEST(ImageUpdate, WithoutImageSlotsNothingIsDrawn) {
  LearnerFixture f(2, 2, 0, {{10, 20, 30}, {5, 6}});
  std::srand(4);
  const int firstDraw = std::rand();
  std::srand(4);
  f.learner.updateImageWeights();
  EXPECT_EQ(firstDraw, std::rand());
  EXPECT_EQ((std::vector<Entry>{{{10, 20}, 0.5}, {{20, 30}, 0.5}}), stored(f));
}

TEST(ImageUpdate, APerfectlyGeneratedPairChangesNothing) {
  LearnerFixture f(2, 1, 1, {{1}, filledImage(7)});
  for (std::size_t p = 0; p < kImageSize; ++p) {
    f.store({1, encodeImageVertex(static_cast<std::int32_t>(p), 7)}, 1.0);
  }
  f.learner.updateImageWeights();
  EXPECT_EQ(kImageSize, f.storage.size());
  EXPECT_EQ(1.0, f.storage.getAll(true).front().weight);
}

}  // namespace

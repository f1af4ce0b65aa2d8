#include "learner/driver/held_out_score.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "learner/data/hyperedge_testing.h"

namespace hn {
namespace {

using testing::edge;

std::string textShare(const HeldOutScore& score) {
  std::ostringstream out;
  score.writeTextShare(out);
  return out.str();
}

TEST(HeldOutScore, CountsFragmentsOfWeightOneOrMoreFoundAsConsecutiveWords) {
  HeldOutScore score;
  const std::vector<std::int32_t> sentence = {4, 5, 6, 7};
  score.addText({edge({4, 5}, 3.0),   // at the start
                 edge({6, 7}, 1.0),   // at the end, exactly 1
                 edge({4, 6}, 2.0),   // both words, not consecutive
                 edge({5, 6}, 0.99),  // found, but too light to count
                 edge({7, 8}, 5.0)},  // runs past the end
                sentence);
  EXPECT_EQ(
      "held-out image-to-text: 0.5 of the fragments weighing 1 or more occur "
      "in the true sentence (2 of 4)\n",
      textShare(score));
}

TEST(HeldOutScore, SaysSoWhenNoFragmentCounts) {
  HeldOutScore score;
  score.addText({edge({1, 2}, 0.5)}, {1, 2});
  EXPECT_EQ("held-out image-to-text: no generated fragment weighs 1 or more\n",
            textShare(score));
}

std::string imageAccuracy(const HeldOutScore& score) {
  std::ostringstream out;
  score.writeImageAccuracy(out);
  return out.str();
}

TEST(HeldOutScore, ImageAccuracyAveragesOverPairsAndPadsShortImages) {
  HeldOutScore score;
  ImageBuffer generated;
  generated.fill(-1);
  // Half an image, all wrong: the unvalued rest agrees.
  score.addImage(generated, std::vector<std::int32_t>(2400, 1));
  generated.fill(3);
  score.addImage(generated, std::vector<std::int32_t>(4800, 3));
  EXPECT_EQ(
      "held-out text-to-image accuracy: 0.75\n"
      "held-out text-to-image accuracy over the images' own positions: 0.5\n",
      imageAccuracy(score));
}

TEST(HeldOutScore, OwnPositionsAreEachImagesOwnAndEveryPairWeighsAlike) {
  HeldOutScore score;
  ImageBuffer generated;
  // A 12x12 image, 36 of its positions wrong; the values generated past it
  // count against the first figure only.
  generated.fill(5);
  std::fill_n(generated.begin(), 36, 4);
  score.addImage(generated, std::vector<std::int32_t>(144, 5));
  // An image of one position, right, weighs as much as the 144 above.
  generated.fill(-1);
  generated[0] = 2;
  score.addImage(generated, {2});
  // No own position: left out of the second mean.
  score.addImage(generated, {});
  EXPECT_EQ(
      "held-out text-to-image accuracy: 0.674097\n"
      "held-out text-to-image accuracy over the images' own positions: "
      "0.875\n",
      imageAccuracy(score));
}

}  // namespace
}  // namespace hn

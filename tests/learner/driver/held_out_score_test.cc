#include "learner/driver/held_out_score.h"

#include <gtest/gtest.h>

#include <sstream>

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

TEST(HeldOutScore, ImageAccuracyAveragesOverPairsAndPadsShortImages) {
  HeldOutScore score;
  ImageBuffer generated;
  generated.fill(-1);
  // Half an image, all wrong: the unvalued rest agrees.
  score.addImage(generated, std::vector<std::int32_t>(2400, 1));
  generated.fill(3);
  score.addImage(generated, std::vector<std::int32_t>(4800, 3));
  std::ostringstream out;
  score.writeImageAccuracy(out);
  EXPECT_EQ("held-out text-to-image accuracy: 0.75\n", out.str());
}

}  // namespace
}  // namespace hn

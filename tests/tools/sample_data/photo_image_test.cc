#include "tools/sample_data/photo_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace hn {
namespace {

constexpr std::int32_t kSide = 32;

// The mean of the 8x8 patch at the image's edge in the direction of the
// slopes (the middle along an axis whose slope is 0).
double patchMean(const std::vector<std::int32_t>& image,
                 std::int32_t columnSlope, std::int32_t rowSlope) {
  const auto firstOf = [](std::int32_t slope) {
    return slope > 0 ? kSide - 8 : slope < 0 ? 0 : 12;
  };
  double sum = 0;
  for (std::int32_t row = firstOf(rowSlope); row < firstOf(rowSlope) + 8;
       ++row) {
    for (std::int32_t column = firstOf(columnSlope);
         column < firstOf(columnSlope) + 8; ++column) {
      sum += image[static_cast<std::size_t>(row * kSide + column)];
    }
  }
  return sum / 64;
}

// Every tone, level step and direction, the flat one included, which no
// photo draws but a caller may pass. Noise of ±1 averages out over a patch,
// so the corner the slopes point to is brighter than the opposite one by
// about the whole rise of 2.
TEST(PaintBackground, StaysInItsTonesRangeAndClimbsTowardsTheSlopes) {
  for (const Tone tone : {Tone::kDark, Tone::kLight}) {
    for (std::int32_t step = 0; step <= 1; ++step) {
      for (std::int32_t column = -2; column <= 2; ++column) {
        for (std::int32_t row = -2; row <= 2; ++row) {
          const std::string context =
              std::string(tone == Tone::kDark ? "dark" : "light") + " step " +
              std::to_string(step) + " slopes " + std::to_string(column) + "," +
              std::to_string(row);
          const std::vector<std::int32_t> image = paintBackground(
              {tone, step, column, row, 7}, sample::kPhotoLayout);
          ASSERT_EQ(static_cast<std::size_t>(kSide * kSide), image.size());
          const auto [lowest, highest] =
              std::minmax_element(image.begin(), image.end());
          EXPECT_GE(*lowest, tone == Tone::kDark ? 0 : 7) << context;
          EXPECT_LE(*highest, tone == Tone::kDark ? 5 : 12) << context;
          if (column == 0 && row == 0) continue;
          const double climb =
              patchMean(image, column, row) - patchMean(image, -column, -row);
          EXPECT_GT(climb, 1.2) << context;
          EXPECT_LT(climb, 2.5) << context;
          // Three levels of ramp, each shaken by noise.
          EXPECT_EQ(5u,
                    std::set<std::int32_t>(image.begin(), image.end()).size())
              << context;
        }
      }
    }
  }
}

}  // namespace
}  // namespace hn

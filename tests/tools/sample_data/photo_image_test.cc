#include "tools/sample_data/photo_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "tools/sample_data/scene_image.h"

namespace hn {
namespace {

using sample::kPhotoLayout;

constexpr std::int32_t kSide = 32;

std::string describe(const Background& background) {
  return std::string(background.tone == Tone::kDark ? "dark" : "light") +
         " step " + std::to_string(background.levelStep) + " slopes " +
         std::to_string(background.columnSlope) + "," +
         std::to_string(background.rowSlope);
}

// Every tone, level step and direction, including the flat one that no
// photo draws but that a caller may still pass.
std::vector<Background> everyBackground() {
  std::vector<Background> backgrounds;
  for (const Tone tone : {Tone::kDark, Tone::kLight}) {
    for (std::int32_t step = 0; step <= 1; ++step) {
      for (std::int32_t column = -2; column <= 2; ++column) {
        for (std::int32_t row = -2; row <= 2; ++row) {
          backgrounds.push_back({tone, step, column, row, 7});
        }
      }
    }
  }
  return backgrounds;
}

TEST(PaintBackground, EveryValueLiesInTheRangeOfItsTone) {
  for (const Background& background : everyBackground()) {
    const std::vector<std::int32_t> image =
        paintBackground(background, kPhotoLayout);
    ASSERT_EQ(static_cast<std::size_t>(kSide * kSide), image.size());
    const auto [lowest, highest] =
        std::minmax_element(image.begin(), image.end());
    if (background.tone == Tone::kDark) {
      EXPECT_GE(*lowest, 0) << describe(background);
      EXPECT_LE(*highest, 5) << describe(background);
    } else {
      EXPECT_GE(*lowest, 7) << describe(background);
      EXPECT_LE(*highest, 12) << describe(background);
    }
  }
}

double meanOf(const std::vector<std::int32_t>& image, std::int32_t firstColumn,
              std::int32_t firstRow, std::int32_t size) {
  double sum = 0;
  for (std::int32_t row = firstRow; row < firstRow + size; ++row) {
    for (std::int32_t column = firstColumn; column < firstColumn + size;
         ++column) {
      sum += image[static_cast<std::size_t>(row * kSide + column)];
    }
  }
  return sum / (size * size);
}

// The corner the slopes point to is brighter than the opposite one by about
// the whole rise; noise of ±1 averages out over an 8x8 patch.
TEST(PaintBackground, BrightnessClimbsTowardsTheSlopesAndIsNoisy) {
  for (const Background& background : everyBackground()) {
    if (background.columnSlope == 0 && background.rowSlope == 0) continue;
    const std::vector<std::int32_t> image =
        paintBackground(background, kPhotoLayout);
    const auto patchAt = [&](std::int32_t columnSlope, std::int32_t rowSlope) {
      const std::int32_t far = kSide - 8;
      return meanOf(image,
                    columnSlope > 0   ? far
                    : columnSlope < 0 ? 0
                                      : 12,
                    rowSlope > 0   ? far
                    : rowSlope < 0 ? 0
                                   : 12,
                    8);
    };
    const double climb = patchAt(background.columnSlope, background.rowSlope) -
                         patchAt(-background.columnSlope, -background.rowSlope);
    EXPECT_GT(climb, 1.2) << describe(background);
    EXPECT_LT(climb, 2.5) << describe(background);
    const std::set<std::int32_t> values(image.begin(), image.end());
    EXPECT_EQ(5u, values.size()) << describe(background);
  }
}

TEST(PaintBackground, TheNoiseSeedAloneDecidesTheNoise) {
  Background background{Tone::kLight, 1, 2, -1, 11};
  const std::vector<std::int32_t> first =
      paintBackground(background, kPhotoLayout);
  EXPECT_EQ(first, paintBackground(background, kPhotoLayout));
  background.noiseSeed = 12;
  const std::vector<std::int32_t> other =
      paintBackground(background, kPhotoLayout);
  std::size_t equal = 0;
  for (std::size_t index = 0; index < first.size(); ++index) {
    equal += first[index] == other[index] ? 1 : 0;
  }
  // Two independent draws of three noise values agree a third of the time.
  EXPECT_LT(equal, first.size() / 2);
}

// The shape takes its colour's value where and as large as the scenes'
// shapes are drawn, the background shows everywhere else, and a big shape
// stays inside the image at the widest jitter.
TEST(RenderPhoto, DrawsTheShapeInItsColourOverTheBackground) {
  const Background background{Tone::kDark, 1, 1, 1, 3};
  const std::vector<std::int32_t> backdrop =
      paintBackground(background, kPhotoLayout);
  for (const ShapeSize size : {ShapeSize::kBig, ShapeSize::kSmall}) {
    for (const Shape shape :
         {Shape::kSquare, Shape::kCircle, Shape::kTriangle, Shape::kCross}) {
      for (const Colour colour :
           {Colour::kRed, Colour::kGreen, Colour::kBlue}) {
        for (const std::int32_t jitter :
             {-sample::kMaxPhotoJitter, 0, sample::kMaxPhotoJitter}) {
          const Scene scene{size,
                            colour,
                            shape,
                            Vertical::kMiddle,
                            Horizontal::kCenter,
                            jitter,
                            -jitter,
                            background};
          const std::string context =
              "size " + std::to_string(static_cast<int>(size)) + " shape " +
              std::to_string(static_cast<int>(shape)) + " jitter " +
              std::to_string(jitter);
          const std::vector<std::int32_t> photo = renderPhoto(scene);
          const std::vector<std::int32_t> outline =
              renderImage(scene, kPhotoLayout);
          ASSERT_EQ(outline.size(), photo.size()) << context;
          std::vector<std::int32_t> want = backdrop;
          for (std::size_t index = 0; index < want.size(); ++index) {
            if (outline[index] != sample::kBackgroundValue) {
              want[index] = photoColourValue(colour);
            }
          }
          EXPECT_EQ(want, photo) << context;
        }
      }
    }
  }
  EXPECT_EQ(13, photoColourValue(Colour::kRed));
  EXPECT_EQ(15, photoColourValue(Colour::kBlue));
}

}  // namespace
}  // namespace hn

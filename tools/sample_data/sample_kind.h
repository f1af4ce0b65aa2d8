#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace hn {

// The data sets hn_sample_data can write. Scenes are the original set: a
// small shape somewhere in a large image, so most of every image is
// background. Shapes fill most of a small image, which is the kind of data
// on which the learner names what it sees. Photos are like pictures of real
// things: every image has a noisy background of its own, so no image
// position holds the same value in most images.
enum class SampleKind { kScenes, kShapes, kPhotos };

std::optional<SampleKind> parseSampleKind(std::string_view name);
std::string_view sampleKindName(SampleKind kind);

namespace sample {

// Image size and shape widths of one kind. Images are stored row by row, so
// the value of (row, column) sits at position row * columns + column.
struct ImageLayout {
  std::int32_t columns;
  std::int32_t rows;
  std::int32_t bigShapeWidth;
  std::int32_t smallShapeWidth;
};

inline constexpr ImageLayout kSceneLayout{80, 60, 16, 8};
// A big shape fills the image, a small one two thirds of it across.
inline constexpr ImageLayout kShapeLayout{12, 12, 12, 8};
// A big shape covers half the photo across, a small one a quarter.
inline constexpr ImageLayout kPhotoLayout{32, 32, 16, 8};

const ImageLayout& imageLayout(SampleKind kind);

// Scenes say "a <size> <colour> <shape> at the <vertical> <horizontal>";
// shapes, always centred, stop after the shape; photos say
// "a <size> <colour> <shape> on a <tone> background".
inline constexpr std::size_t kSceneCaptionLength = 8;
inline constexpr std::size_t kShapeCaptionLength = 4;
inline constexpr std::size_t kPhotoCaptionLength = 8;

std::size_t captionLength(SampleKind kind);

}  // namespace sample
}  // namespace hn

#include "tools/sample_data/scene_image.h"

#include <cstdlib>

namespace hn {
namespace {

using sample::ImageLayout;

// A big scene shape at its widest jitter still fits in half a ninth of the
// image on each side of the ninth's centre, so no pixel lands outside its
// ninth or outside the image.
constexpr ImageLayout kScenes = sample::kSceneLayout;
static_assert(kScenes.bigShapeWidth / 2 + sample::kMaxJitter <=
              kScenes.rows / 6);
static_assert(kScenes.bigShapeWidth / 2 + sample::kMaxJitter <=
              kScenes.columns / 6);
// A centred shape of the shapes kind never leaves its image.
constexpr ImageLayout kShapes = sample::kShapeLayout;
static_assert(kShapes.bigShapeWidth <= kShapes.rows &&
              kShapes.bigShapeWidth <= kShapes.columns);

// The middle of third `index` (0, 1 or 2) of `extent` pixels.
constexpr std::int32_t thirdCentre(std::int32_t extent, std::int32_t index) {
  const std::int32_t begin = index * extent / 3;
  const std::int32_t end = (index + 1) * extent / 3;
  return (begin + end) / 2;
}

// Whether a shape `width` pixels across, placed around the middle third's
// centre and moved by up to `jitter` either way, stays inside `extent`.
constexpr bool fitsAroundMiddle(std::int32_t extent, std::int32_t width,
                                std::int32_t jitter) {
  const std::int32_t centre = thirdCentre(extent, 1);
  return centre - width / 2 - jitter >= 0 &&
         centre + (width - width / 2) + jitter <= extent;
}

// A photo's big shape at its widest jitter never leaves its image.
constexpr ImageLayout kPhotos = sample::kPhotoLayout;
static_assert(fitsAroundMiddle(kPhotos.columns, kPhotos.bigShapeWidth,
                               sample::kMaxPhotoJitter));
static_assert(fitsAroundMiddle(kPhotos.rows, kPhotos.bigShapeWidth,
                               sample::kMaxPhotoJitter));

std::int32_t shapeWidth(ShapeSize size, const ImageLayout& layout) {
  return size == ShapeSize::kBig ? layout.bigShapeWidth
                                 : layout.smallShapeWidth;
}

// Whether pixel (x, y) of a box `width` pixels across belongs to the shape.
// Twice the offset from the box centre keeps the tests in integers.
bool coversPixel(Shape shape, std::int32_t width, std::int32_t x,
                 std::int32_t y) {
  const std::int32_t dx = std::abs(2 * x + 1 - width);
  const std::int32_t dy = std::abs(2 * y + 1 - width);
  switch (shape) {
    case Shape::kSquare:
      return true;
    case Shape::kCircle:
      return dx * dx + dy * dy <= width * width;
    case Shape::kTriangle:  // apex up, base along the bottom row
      return dx <= y + 1;
    case Shape::kCross:  // bars a quarter of the box thick
      return dx < width / 4 || dy < width / 4;
  }
  return false;
}

}  // namespace

std::int32_t colourValue(Colour colour) {
  return static_cast<std::int32_t>(colour) + 1;
}

std::vector<std::int32_t> renderImage(const Scene& scene,
                                      const ImageLayout& layout) {
  std::vector<std::int32_t> image(
      static_cast<std::size_t>(layout.columns * layout.rows),
      sample::kBackgroundValue);
  drawShape(scene, layout, colourValue(scene.colour), image);
  return image;
}

void drawShape(const Scene& scene, const ImageLayout& layout,
               std::int32_t value, std::vector<std::int32_t>& image) {
  const std::int32_t width = shapeWidth(scene.size, layout);
  const std::int32_t left =
      thirdCentre(layout.columns, static_cast<std::int32_t>(scene.horizontal)) +
      scene.columnJitter - width / 2;
  const std::int32_t top =
      thirdCentre(layout.rows, static_cast<std::int32_t>(scene.vertical)) +
      scene.rowJitter - width / 2;
  for (std::int32_t y = 0; y < width; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      if (coversPixel(scene.shape, width, x, y)) {
        image[(top + y) * layout.columns + left + x] = value;
      }
    }
  }
}

}  // namespace hn

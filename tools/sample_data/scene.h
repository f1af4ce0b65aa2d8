#pragma once

#include <cstdint>
#include <random>

namespace hn {

enum class ShapeSize { kBig, kSmall };
enum class Colour { kRed, kGreen, kBlue };
enum class Shape { kSquare, kCircle, kTriangle, kCross };
enum class Vertical { kTop, kMiddle, kBottom };
enum class Horizontal { kLeft, kCenter, kRight };

// One sample pair before it is put into words and pixels: what the caption
// says, plus the small shift of the shape's centre that makes images of the
// same caption differ.
struct Scene {
  ShapeSize size;
  Colour colour;
  Shape shape;
  Vertical vertical;
  Horizontal horizontal;
  std::int32_t columnJitter;
  std::int32_t rowJitter;
};

namespace sample {
// The centre moves at most this many pixels along each axis, little enough
// for a big shape to stay inside its ninth of the image.
inline constexpr std::int32_t kMaxJitter = 2;
}  // namespace sample

// Consumes exactly seven values of the engine, in the order of the Scene's
// fields. Ranges are taken with `%` rather than a distribution, whose
// algorithm the standard leaves open, so a seed gives the same scenes on
// every platform.
Scene drawScene(std::mt19937& engine);

// A scene of the shapes kind: consumes three values, for size, colour and
// shape; the shape sits in the middle centre without jitter.
Scene drawCentredShape(std::mt19937& engine);

}  // namespace hn

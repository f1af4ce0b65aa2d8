#pragma once

#include <cstdint>
#include <random>

namespace hn {

enum class ShapeSize { kBig, kSmall };
enum class Colour { kRed, kGreen, kBlue };
enum class Shape { kSquare, kCircle, kTriangle, kCross };
enum class Vertical { kTop, kMiddle, kBottom };
enum class Horizontal { kLeft, kCenter, kRight };
enum class Tone { kDark, kLight };

// A photo's own background: brightness rising in steps across the image in
// one of 24 directions (a column and a row slope of -2 to 2, not both 0)
// from a level of its tone, plus noise of up to one value per pixel. The
// noise has a seed of its own and is drawn when the image is rendered, so a
// scene stays small however many pixels its image has.
struct Background {
  Tone tone;
  std::int32_t levelStep;  // 0 or 1 above the darkest level of the tone
  std::int32_t columnSlope;
  std::int32_t rowSlope;
  std::uint32_t noiseSeed;
};

// One sample pair before it is put into words and pixels: what the caption
// says, plus the small shift of the shape's centre that makes images of the
// same caption differ. Only photos have a background; the other kinds leave
// it zero and draw on one background value.
struct Scene {
  ShapeSize size;
  Colour colour;
  Shape shape;
  Vertical vertical;
  Horizontal horizontal;
  std::int32_t columnJitter;
  std::int32_t rowJitter;
  Background background;
};

namespace sample {
// The centre moves at most this many pixels along each axis, little enough
// for a big shape to stay inside its ninth of the image.
inline constexpr std::int32_t kMaxJitter = 2;
// A photo's shape wanders further from the centre, as in a picture taken by
// hand, yet a big one stays inside the image.
inline constexpr std::int32_t kMaxPhotoJitter = 6;
inline constexpr std::int32_t kMaxSlope = 2;
}  // namespace sample

// Consumes exactly seven values of the engine, in the order of the Scene's
// fields. Ranges are taken with `%` rather than a distribution, whose
// algorithm the standard leaves open, so a seed gives the same scenes on
// every platform.
Scene drawScene(std::mt19937& engine);

// A scene of the shapes kind: consumes three values, for size, colour and
// shape; the shape sits in the middle centre without jitter.
Scene drawCentredShape(std::mt19937& engine);

// A scene of the photos kind: consumes nine values, for size, colour,
// shape, column and row jitter around the centre, then the background's
// tone, level step, direction and noise seed.
Scene drawPhoto(std::mt19937& engine);

}  // namespace hn

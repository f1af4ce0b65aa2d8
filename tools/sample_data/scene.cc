#include "tools/sample_data/scene.h"

namespace hn {
namespace {

std::uint32_t drawBelow(std::mt19937& engine, std::uint32_t count) {
  return static_cast<std::uint32_t>(engine() % count);
}

std::int32_t drawJitter(std::mt19937& engine,
                        std::int32_t maxJitter = sample::kMaxJitter) {
  return static_cast<std::int32_t>(
             drawBelow(engine, static_cast<std::uint32_t>(2 * maxJitter + 1))) -
         maxJitter;
}

// One draw picks one of the 24 slope pairs other than (0, 0), so that every
// photo's background has a direction.
void drawDirection(std::mt19937& engine, Background& background) {
  constexpr std::int32_t kSide = 2 * sample::kMaxSlope + 1;
  constexpr std::int32_t kFlat = kSide * kSide / 2;
  auto index = static_cast<std::int32_t>(drawBelow(engine, kSide * kSide - 1));
  if (index >= kFlat) ++index;
  background.columnSlope = index % kSide - sample::kMaxSlope;
  background.rowSlope = index / kSide - sample::kMaxSlope;
}

}  // namespace

Scene drawScene(std::mt19937& engine) {
  Scene scene{};
  scene.size = static_cast<ShapeSize>(drawBelow(engine, 2));
  scene.colour = static_cast<Colour>(drawBelow(engine, 3));
  scene.shape = static_cast<Shape>(drawBelow(engine, 4));
  scene.vertical = static_cast<Vertical>(drawBelow(engine, 3));
  scene.horizontal = static_cast<Horizontal>(drawBelow(engine, 3));
  scene.columnJitter = drawJitter(engine);
  scene.rowJitter = drawJitter(engine);
  return scene;
}

Scene drawCentredShape(std::mt19937& engine) {
  Scene scene{};
  scene.size = static_cast<ShapeSize>(drawBelow(engine, 2));
  scene.colour = static_cast<Colour>(drawBelow(engine, 3));
  scene.shape = static_cast<Shape>(drawBelow(engine, 4));
  scene.vertical = Vertical::kMiddle;
  scene.horizontal = Horizontal::kCenter;
  return scene;
}

Scene drawPhoto(std::mt19937& engine) {
  Scene scene = drawCentredShape(engine);
  scene.columnJitter = drawJitter(engine, sample::kMaxPhotoJitter);
  scene.rowJitter = drawJitter(engine, sample::kMaxPhotoJitter);
  Background& background = scene.background;
  background.tone = static_cast<Tone>(drawBelow(engine, 2));
  background.levelStep = static_cast<std::int32_t>(drawBelow(engine, 2));
  drawDirection(engine, background);
  background.noiseSeed = static_cast<std::uint32_t>(engine());
  return scene;
}

}  // namespace hn

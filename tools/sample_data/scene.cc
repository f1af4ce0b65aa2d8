#include "tools/sample_data/scene.h"

namespace hn {
namespace {

std::uint32_t drawBelow(std::mt19937& engine, std::uint32_t count) {
  return static_cast<std::uint32_t>(engine() % count);
}

std::int32_t drawJitter(std::mt19937& engine) {
  return static_cast<std::int32_t>(
             drawBelow(engine, 2 * sample::kMaxJitter + 1)) -
         sample::kMaxJitter;
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

}  // namespace hn

#include "tools/sample_data/sample_kind.h"

namespace hn {

std::optional<SampleKind> parseSampleKind(std::string_view name) {
  if (name == "scenes") return SampleKind::kScenes;
  if (name == "shapes") return SampleKind::kShapes;
  return std::nullopt;
}

std::string_view sampleKindName(SampleKind kind) {
  return kind == SampleKind::kShapes ? "shapes" : "scenes";
}

namespace sample {

const ImageLayout& imageLayout(SampleKind kind) {
  return kind == SampleKind::kShapes ? kShapeLayout : kSceneLayout;
}

std::size_t captionLength(SampleKind kind) {
  return kind == SampleKind::kShapes ? kShapeCaptionLength
                                     : kSceneCaptionLength;
}

}  // namespace sample
}  // namespace hn

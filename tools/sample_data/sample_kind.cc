#include "tools/sample_data/sample_kind.h"

namespace hn {

std::optional<SampleKind> parseSampleKind(std::string_view name) {
  if (name == "scenes") return SampleKind::kScenes;
  if (name == "shapes") return SampleKind::kShapes;
  if (name == "photos") return SampleKind::kPhotos;
  return std::nullopt;
}

std::string_view sampleKindName(SampleKind kind) {
  switch (kind) {
    case SampleKind::kShapes:
      return "shapes";
    case SampleKind::kPhotos:
      return "photos";
    case SampleKind::kScenes:
      break;
  }
  return "scenes";
}

namespace sample {

const ImageLayout& imageLayout(SampleKind kind) {
  switch (kind) {
    case SampleKind::kShapes:
      return kShapeLayout;
    case SampleKind::kPhotos:
      return kPhotoLayout;
    case SampleKind::kScenes:
      break;
  }
  return kSceneLayout;
}

std::size_t captionLength(SampleKind kind) {
  switch (kind) {
    case SampleKind::kShapes:
      return kShapeCaptionLength;
    case SampleKind::kPhotos:
      return kPhotoCaptionLength;
    case SampleKind::kScenes:
      break;
  }
  return kSceneCaptionLength;
}

}  // namespace sample
}  // namespace hn

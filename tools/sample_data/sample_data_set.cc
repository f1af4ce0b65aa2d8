#include "tools/sample_data/sample_data_set.h"

#include <ostream>
#include <random>
#include <string_view>
#include <vector>

#include "tools/sample_data/caption.h"
#include "tools/sample_data/photo_image.h"
#include "tools/sample_data/scene_image.h"

namespace hn {
namespace {

template <typename Range, typename WriteItem>
void writeJoined(std::ostream& out, const Range& items, char separator,
                 WriteItem writeItem) {
  bool first = true;
  for (const auto& item : items) {
    if (!first) out << separator;
    writeItem(item);
    first = false;
  }
  out << '\n';
}

Scene drawOne(std::mt19937& engine, SampleKind kind) {
  switch (kind) {
    case SampleKind::kShapes:
      return drawCentredShape(engine);
    case SampleKind::kPhotos:
      return drawPhoto(engine);
    case SampleKind::kScenes:
      break;
  }
  return drawScene(engine);
}

std::vector<std::int32_t> render(const Scene& scene, SampleKind kind) {
  if (kind == SampleKind::kPhotos) return renderPhoto(scene);
  return renderImage(scene, sample::imageLayout(kind));
}

}  // namespace

SampleDataSet::SampleDataSet(std::uint32_t pairCount, std::uint32_t seed,
                             SampleKind kind)
    : kind_(kind) {
  std::mt19937 engine(seed);
  scenes_.reserve(pairCount);
  for (std::uint32_t pair = 0; pair < pairCount; ++pair) {
    scenes_.push_back(drawOne(engine, kind));
  }
}

void SampleDataSet::writeSentences(std::ostream& out) const {
  for (const Scene& scene : scenes_) {
    writeJoined(out, captionWords(scene, kind_), ',',
                [&out](std::string_view word) { out << wordValue(word); });
  }
}

void SampleDataSet::writeImages(std::ostream& out) const {
  for (const Scene& scene : scenes_) {
    writeJoined(out, render(scene, kind_), ',',
                [&out](std::int32_t value) { out << value; });
  }
}

void SampleDataSet::appendPairs(InstanceList& instances) const {
  std::vector<std::int32_t> sentence;
  for (const Scene& scene : scenes_) {
    sentence.clear();
    for (const std::string_view word : captionWords(scene, kind_)) {
      sentence.push_back(wordValue(word));
    }
    instances.push_back(sentence);
    instances.push_back(render(scene, kind_));
  }
}

void SampleDataSet::writeCaptions(std::ostream& out) const {
  for (const Scene& scene : scenes_) {
    writeJoined(out, captionWords(scene, kind_), ' ',
                [&out](std::string_view word) { out << word; });
  }
}

}  // namespace hn

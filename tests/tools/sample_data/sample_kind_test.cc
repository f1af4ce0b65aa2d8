#include "tools/sample_data/sample_kind.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

namespace hn {
namespace {

TEST(SampleKindName, EveryKindIsFoundByItsNameAndNothingElse) {
  for (const SampleKind kind :
       {SampleKind::kScenes, SampleKind::kShapes, SampleKind::kPhotos}) {
    EXPECT_EQ(kind, parseSampleKind(sampleKindName(kind)))
        << sampleKindName(kind);
  }
  EXPECT_EQ("photos", sampleKindName(SampleKind::kPhotos));
  for (const std::string_view name : {"", "photo", "Photos", "photos "}) {
    EXPECT_EQ(std::nullopt, parseSampleKind(name)) << "'" << name << "'";
  }
}

TEST(SampleKindLayout, PhotosAreThirtyTwoSquareWithEightWordCaptions) {
  const sample::ImageLayout& photos = sample::imageLayout(SampleKind::kPhotos);
  EXPECT_EQ(32, photos.columns);
  EXPECT_EQ(32, photos.rows);
  EXPECT_EQ(8u, sample::captionLength(SampleKind::kPhotos));
  EXPECT_EQ(80, sample::imageLayout(SampleKind::kScenes).columns);
  EXPECT_EQ(12, sample::imageLayout(SampleKind::kShapes).columns);
}

}  // namespace
}  // namespace hn

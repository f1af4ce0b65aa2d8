#include "tools/sample_data/sample_kind.h"

#include <gtest/gtest.h>

#include <optional>
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

}  // namespace
}  // namespace hn

#include "tools/sample_data/sample_data_options.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hn {
namespace {

TEST(SampleDataOptions, EveryOptionSetsItsValue) {
  std::string error;
  const auto options = parseSampleDataOptions(
      {"--pairs", "12", "--seed", "4294967295", "--out", "data/set", "--order",
       "8", "--order2", "0", "--epochs", "5", "--per-line", "40"},
      error);
  ASSERT_TRUE(options.has_value()) << error;
  EXPECT_EQ(12u, options->pairCount);
  EXPECT_EQ(4294967295u, options->seed);
  EXPECT_EQ("data/set", options->outputFolder);
  EXPECT_EQ(8, options->learner.order);
  EXPECT_EQ(0, options->learner.order2);
  EXPECT_EQ(5, options->learner.epochs);
  EXPECT_EQ(40, options->learner.perLine);
}

TEST(SampleDataOptions, KindChoosesItsLearnerDefaultsWhichOptionsOverride) {
  std::string error;
  const auto scenes = parseSampleDataOptions({}, error);
  ASSERT_TRUE(scenes.has_value()) << error;
  EXPECT_EQ(SampleKind::kScenes, scenes->kind);
  EXPECT_EQ(3, scenes->learner.order);
  EXPECT_EQ(6, scenes->learner.order2);

  // An option given before --kind still wins over the kind's default.
  const auto shapes = parseSampleDataOptions(
      {"--order2", "5", "--kind", "shapes", "--per-line", "7"}, error);
  ASSERT_TRUE(shapes.has_value()) << error;
  EXPECT_EQ(SampleKind::kShapes, shapes->kind);
  EXPECT_EQ(2, shapes->learner.order);
  EXPECT_EQ(5, shapes->learner.order2);
  EXPECT_EQ(7, shapes->learner.perLine);
  EXPECT_EQ(3, shapes->learner.epochs);
  EXPECT_EQ(
      80, parseSampleDataOptions({"--kind", "shapes"}, error)->learner.perLine);

  const auto photos = parseSampleDataOptions({"--kind", "photos"}, error);
  ASSERT_TRUE(photos.has_value()) << error;
  EXPECT_EQ(SampleKind::kPhotos, photos->kind);
  EXPECT_EQ(3, photos->learner.order);
  EXPECT_EQ(3, photos->learner.order2);
  EXPECT_EQ(20, photos->learner.perLine);
  EXPECT_EQ(3, photos->learner.epochs);
}

TEST(SampleDataOptions, AnUnknownOptionIsCalledUnknownWhereverItStands) {
  const std::vector<std::pair<std::vector<std::string_view>, std::string>>
      cases = {
          {{"--bogus"}, "unknown option '--bogus'"},
          {{"--pairs", "5", "--bogus"}, "unknown option '--bogus'"},
          {{"--bogus", "5"}, "unknown option '--bogus'"},
          {{"--per-line"}, "--per-line needs a value"},
          {{"--out"}, "--out needs a value"},
      };
  for (const auto& [arguments, message] : cases) {
    std::string error;
    EXPECT_FALSE(parseSampleDataOptions(arguments, error).has_value())
        << message;
    EXPECT_EQ(message, error);
  }
}

TEST(SampleDataOptions, BadArgumentsAreRefusedWithAReason) {
  const std::vector<std::vector<std::string_view>> cases = {
      {"--colour", "red"},
      {"--pairs"},
      {"--pairs", "abc"},
      {"--pairs", "-1"},
      {"--pairs", "12x"},
      {"--pairs", " 12"},
      {"--pairs", "0"},
      {"--pairs", "100001"},
      {"--seed", "4294967296"},
      {"--order", "9"},
      {"--epochs", "0"},
      {"--out", ""},
      {"--pairs", "5", "extra"},
      {"--kind", "faces"},
      {"--kind"},
      {"--kind", "shapes", "--order", "5"},
      {"--kind", "photos", "--order", "9"}};
  for (const auto& arguments : cases) {
    std::ostringstream context;
    for (const std::string_view argument : arguments) {
      context << '[' << argument << ']';
    }
    std::string error;
    EXPECT_FALSE(parseSampleDataOptions(arguments, error).has_value())
        << context.str();
    EXPECT_FALSE(error.empty()) << context.str();
  }
}

}  // namespace
}  // namespace hn

#include "tools/render/render_options.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace hn {
namespace {

TEST(RenderOptions, DefaultsToTheLearnersImageSizeOnePixelEach) {
  std::string error;
  const auto options =
      parseRenderOptions({"--out", "pictures", "in.csv"}, error);
  ASSERT_TRUE(options.has_value()) << error;
  EXPECT_EQ(80, options->width);
  EXPECT_EQ(60, options->height);
  EXPECT_EQ(1, options->scale);
  EXPECT_FALSE(options->grid);
  EXPECT_FALSE(options->count.has_value());
  EXPECT_EQ("in.csv", options->inputFile);
}

TEST(RenderOptions, EveryOptionSetsItsValue) {
  std::string error;
  const auto options = parseRenderOptions(
      {"--width", "12", "--height", "9", "--scale", "8", "--grid", "--columns",
       "4", "--captions", "c.txt", "--first", "3", "--count", "6", "--out",
       "g.png", "gen.txt"},
      error);
  ASSERT_TRUE(options.has_value()) << error;
  EXPECT_EQ(12, options->width);
  EXPECT_EQ(9, options->height);
  EXPECT_EQ(8, options->scale);
  EXPECT_TRUE(options->grid);
  EXPECT_EQ(4, options->columns);
  EXPECT_EQ("c.txt", options->captionsFile);
  EXPECT_EQ(3, options->first);
  EXPECT_EQ(6, options->count);
  EXPECT_EQ("g.png", options->output);
}

TEST(RenderOptions, AnUnknownOptionIsCalledUnknownWhereverItStands) {
  const std::vector<std::pair<std::vector<std::string_view>, std::string>>
      cases = {
          {{"--out", "x", "a.csv", "--bogus"}, "unknown option '--bogus'"},
          {{"--bogus", "1", "--out", "x", "a.csv"}, "unknown option '--bogus'"},
          {{"--out", "x", "a.csv", "--width"}, "--width needs a value"},
          {{"a.csv", "--out"}, "--out needs a value"},
      };
  for (const auto& [arguments, message] : cases) {
    std::string error;
    EXPECT_FALSE(parseRenderOptions(arguments, error).has_value()) << message;
    EXPECT_EQ(message, error);
  }
}

TEST(RenderOptions, BadArgumentsAreRefusedWithAReason) {
  const std::vector<std::vector<std::string_view>> cases = {
      {"in.csv"},
      {"--out", "x"},
      {"--out", "x", "a.csv", "b.csv"},
      {"--out", "x", "--width", "0", "a.csv"},
      {"--out", "x", "--scale", "65", "a.csv"},
      {"--out", "x", "--height", "12px", "a.csv"},
      {"--out", "x", "--count", "0", "a.csv"},
      {"--out", "x", "--colour", "red", "a.csv"},
      {"--out", "x", "a.csv", "--width"},
      {"--out", "", "a.csv"}};
  for (const auto& arguments : cases) {
    std::ostringstream context;
    for (const std::string_view argument : arguments) {
      context << '[' << argument << ']';
    }
    std::string error;
    EXPECT_FALSE(parseRenderOptions(arguments, error).has_value())
        << context.str();
    EXPECT_FALSE(error.empty()) << context.str();
  }
}

}  // namespace
}  // namespace hn

#include "assembler/fragment_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace hn {
namespace {

TEST(IsRecordHeader, OnlyALowerCaseLFirstCounts) {
  EXPECT_TRUE(isRecordHeader("line : 7"));
  EXPECT_TRUE(isRecordHeader("l"));
  EXPECT_TRUE(isRecordHeader("lemma"));
  EXPECT_FALSE(isRecordHeader("Line : 7"));
  EXPECT_FALSE(isRecordHeader(" line : 7"));
  EXPECT_FALSE(isRecordHeader(""));
  EXPECT_FALSE(isRecordHeader("{(4,8):2}"));
}

TEST(ParseFragmentLine, ReadsValuesAndWeight) {
  const struct {
    std::string line;
    std::vector<std::int32_t> values;
    double weight;
  } cases[] = {
      {"{(4,8,15):2}", {4, 8, 15}, 2.0},
      {"{(4,8,15):1}", {4, 8, 15}, 1.0},
      {"{(4,8,15):0.999}", {4, 8, 15}, 0.999},
      {"{(7):1.5}", {7}, 1.5},
      {"{( 4 , 8 ):1}", {4, 8}, 1.0},
      {"{(-3,+5):1e+06}", {-3, 5}, 1e6},
      {"{(12,7,30005):2.5}", {12, 7, 30005}, 2.5},
      {"{(4,8):2} anything after the weight", {4, 8}, 2.0},
      // The separators, not the tokens, fix how many values come first.
      {"4 8 15:2", {4}, 8.0},
      // No separator: a bare number is a weight with no values.
      {"7", {}, 7.0},
  };
  for (const auto& c : cases) {
    const std::optional<Fragment> fragment = parseFragmentLine(c.line);
    ASSERT_TRUE(fragment.has_value()) << c.line;
    EXPECT_EQ(c.values, fragment->values) << c.line;
    EXPECT_DOUBLE_EQ(c.weight, fragment->weight) << c.line;
  }
}

TEST(ParseFragmentLine, WeightsReadAsStrtodReadsThem) {
  const double infinity = std::numeric_limits<double>::infinity();
  const struct {
    std::string line;
    double weight;
  } cases[] = {
      {"{(1,2,4):inf}", infinity},      {"{(1,2,4):-inf}", -infinity},
      {"{(1,2,4):INFINITY}", infinity}, {"{(1,2,4):1e999}", infinity},
      {"{(1,2,4):1e-999}", 0.0},        {"{(1,2,4):0x10}", 16.0},
      {"{(1,2,4):2.5e}", 2.5},
  };
  for (const auto& c : cases) {
    const std::optional<Fragment> fragment = parseFragmentLine(c.line);
    ASSERT_TRUE(fragment.has_value()) << c.line;
    EXPECT_EQ((std::vector<std::int32_t>{1, 2, 4}), fragment->values) << c.line;
    EXPECT_EQ(c.weight, fragment->weight) << c.line;
  }
  for (const std::string line : {"{(1,2,4):nan}", "{(1,2,4):-nan}"}) {
    const std::optional<Fragment> fragment = parseFragmentLine(line);
    ASSERT_TRUE(fragment.has_value()) << line;
    EXPECT_TRUE(std::isnan(fragment->weight)) << line;
  }
}

TEST(ParseFragmentLine, LinesThatDoNotReadGiveNoFragment) {
  for (const std::string line : {
           "",
           "stray text",
           "Line : 7",
           "{(4,x):2}",
           "{(4,8):}",
           "{():3}",
           "{(4,8,15):two}",
           "{(99999999999):2}",
       }) {
    EXPECT_FALSE(parseFragmentLine(line).has_value()) << '"' << line << '"';
  }
}

}  // namespace
}  // namespace hn

#include "learner/index/flat_int_map.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <unordered_map>

namespace {

using hn::FlatIntMap;

// Random assignments and lookups answer as a node-based map does, through
// every growth of the table, with keys at the ends of the range and keys
// that share their low or high bits.
TEST(FlatIntMap, AnswersAsAMapDoesThroughEveryGrowth) {
  const struct {
    const char* what;
    std::int32_t low;
    std::int32_t high;
    std::int32_t stride;
  } kinds[] = {
      {"small keys", -3, 40, 1},
      {"wide keys", std::numeric_limits<std::int32_t>::min(),
       std::numeric_limits<std::int32_t>::max(), 1},
      {"keys sharing their low bits", 0, 1 << 20, 1 << 12},
  };
  for (const auto& kind : kinds) {
    std::mt19937 random(7);
    std::uniform_int_distribution<std::int32_t> key(kind.low / kind.stride,
                                                    kind.high / kind.stride);
    FlatIntMap flat;
    std::unordered_map<std::int32_t, std::uint32_t> reference;
    for (std::uint32_t step = 0; step < 20'000; ++step) {
      const std::int32_t k = key(random) * kind.stride;
      if (step % 3 == 0) {
        const auto found = reference.find(k);
        EXPECT_EQ(
            found == reference.end() ? FlatIntMap::kAbsent : found->second,
            flat.find(k))
            << kind.what << ", step " << step;
      } else {
        flat.assign(k, step);
        reference[k] = step;
      }
      ASSERT_EQ(reference.size(), flat.size()) << kind.what;
    }
    for (const auto& [k, value] : reference) {
      EXPECT_EQ(value, flat.find(k)) << kind.what;
    }
  }
}

TEST(FlatIntMap, AnEmptyMapHoldsNothing) {
  const FlatIntMap empty;
  EXPECT_EQ(FlatIntMap::kAbsent, empty.find(0));
  EXPECT_FALSE(empty.contains(-1));
  EXPECT_EQ(0u, empty.size());
}

}  // namespace

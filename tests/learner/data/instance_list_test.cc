#include "learner/data/instance_list.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

using hn::InstanceList;
using hn::InstanceView;
using Values = std::vector<std::int32_t>;

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

std::string printed(const InstanceView& view) {
  std::ostringstream out;
  out << view;
  return out.str();
}

// Every value reads back as it was put in, whatever width holds it: the
// bounds of one byte and of two (read unsigned: image values up to 65,535
// are positive), and the full 32-bit range for anything negative or wider.
TEST(InstanceList, ValuesReadBackUnchangedAtEveryWidth) {
  const std::vector<Values> cases = {
      {},
      {0},
      {0, 1, 127, 128, 255},
      {256},
      {0, 255, 256, 32767, 32768, 40000, 65535},
      {65536},
      {-1},
      {-128, 127},
      {-32768, 32767, 65535},
      {kMin, 0, kMax},
      {214747, 3, 0},
  };
  InstanceList list;
  for (const Values& values : cases) list.push_back(values);
  ASSERT_EQ(cases.size(), list.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const InstanceView view = list[i];
    EXPECT_EQ(cases[i], view.values()) << printed(view);
    EXPECT_EQ(cases[i].size(), view.size());
    // Reading through iterators and through [] agree.
    EXPECT_EQ(cases[i], Values(view.begin(), view.end())) << printed(view);
  }
}

TEST(InstanceList, ValuesTakeTheNarrowestWidth) {
  const struct {
    Values values;
    std::size_t bytes;
  } cases[] = {
      {{0, 255}, 2}, {{0, 256}, 4}, {{65535, 1, 2}, 6},
      {{65536}, 4},  {{-1, 0}, 8},
  };
  for (const auto& c : cases) {
    InstanceList list;
    list.push_back(c.values);
    EXPECT_EQ(c.bytes, list.valueBytes()) << printed(list[0]);
  }
}

// Keys tell instances apart exactly: equal values give equal keys wherever
// they are in the list, and the same bytes at another width never do (0 1
// in a byte each are the bytes of 256 in two).
TEST(InstanceList, KeysAreEqualExactlyForEqualInstances) {
  InstanceList list{{1, 0}, {1}, {1, 0}, {256}, {1, 0, 0, 0}, {0, 1}, {}, {}};
  EXPECT_EQ(list[0].key(), list[2].key());
  EXPECT_EQ(list[6].key(), list[7].key());
  for (const std::size_t other : {1u, 3u, 4u, 5u, 6u}) {
    EXPECT_NE(list[0].key(), list[other].key()) << printed(list[other]);
  }
  EXPECT_NE(list[3].key(), list[5].key());
}

TEST(InstanceList, ViewsStayValidAsTheListGrows) {
  InstanceList list;
  list.push_back(Values{7, 70000});
  const InstanceView first = list[0];
  // Enough to need new blocks many times over.
  const Values big(100000, 300);
  for (int i = 0; i < 50; ++i) list.push_back(big);
  EXPECT_EQ((Values{7, 70000}), first.values());
  EXPECT_EQ(big, list.back().values());
}

}  // namespace

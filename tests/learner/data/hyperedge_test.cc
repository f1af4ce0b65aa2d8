#include "learner/data/hyperedge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "learner/data/hyperedge_testing.h"
#include "learner/data/image.h"

namespace {

using hn::Hyperedge;
using hn::testing::edge;

std::string text(const Hyperedge& hyperedge) {
  std::ostringstream out;
  out << hyperedge;
  return out.str();
}

std::vector<std::int32_t> values(const Hyperedge& hyperedge) {
  return {hyperedge.vertices, hyperedge.vertices + hyperedge.vertexCount};
}

TEST(HyperedgeVertexOrder, ComparesTheCommonPrefixSigned) {
  EXPECT_TRUE(edge({1, 2, 3}) < edge({1, 3, 0}));
  EXPECT_FALSE(edge({1, 3, 0}) < edge({1, 2, 3}));
  EXPECT_TRUE(edge({-5, 0, 0}) < edge({2, 0, 0}));
  EXPECT_FALSE(edge({1, 2, 3}) < edge({1, 2, 3}));
}

TEST(HyperedgeVertexOrder, PrefixesAreTheSameKey) {
  EXPECT_FALSE(edge({1, 2, 3}) < edge({1, 2, 3, 9}));
  EXPECT_FALSE(edge({1, 2, 3, 9}) < edge({1, 2, 3}));
  EXPECT_FALSE(edge({}) < edge({1}));
  EXPECT_FALSE(edge({1}) < edge({}));
}

TEST(HyperedgeMatch, WildcardOnEitherSide) {
  EXPECT_TRUE(edge({4, -1, 7}).matches(edge({4, 9, 7})));
  EXPECT_TRUE(edge({4, 9, 7}).matches(edge({4, -1, 7})));
  EXPECT_TRUE(edge({-1, -1, -1}).matches(edge({3, 2, 1})));
  EXPECT_FALSE(edge({4, 9, 7}).matches(edge({4, 8, 7})));
  EXPECT_FALSE(edge({4, 9}).matches(edge({4, 9, 1})));
  EXPECT_TRUE(edge({}).matches(edge({})));
}

TEST(HyperedgeRanking, HigherWeightFirstThenVertexOrder) {
  std::vector<Hyperedge> list = {edge({1, 1}, 3.0), edge({2, 2}, 5.0),
                                 edge({1, 9}, 5.0)};
  std::sort(list.begin(), list.end(), hn::ranksBefore);
  EXPECT_EQ(std::vector<std::int32_t>({1, 9}), values(list[0]));
  EXPECT_EQ(std::vector<std::int32_t>({2, 2}), values(list[1]));
  EXPECT_EQ(std::vector<std::int32_t>({1, 1}), values(list[2]));
}

TEST(HyperedgeRanking, NanWeightsRankLastAndKeepTheOrderStrict) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_TRUE(hn::ranksBefore(edge({9}, -1.0), edge({1}, nan)));
  EXPECT_FALSE(hn::ranksBefore(edge({1}, nan), edge({9}, -1.0)));
  EXPECT_TRUE(hn::ranksBefore(edge({1}, nan), edge({2}, nan)));
  EXPECT_FALSE(hn::ranksBefore(edge({2}, nan), edge({1}, nan)));
}

TEST(HyperedgeCopy, CopiesOwnTheirVerticesAndWeight) {
  Hyperedge original = edge({1, 2, 3}, 2.5);
  Hyperedge copy(original);
  Hyperedge assigned = edge({7});
  assigned = original;
  original.vertices[0] = 99;
  EXPECT_EQ(std::vector<std::int32_t>({1, 2, 3}), values(copy));
  EXPECT_EQ(std::vector<std::int32_t>({1, 2, 3}), values(assigned));
  EXPECT_EQ(2.5, copy.weight);
  EXPECT_EQ(2.5, assigned.weight);
}

TEST(HyperedgeCopy, SelfAssignmentKeepsEverything) {
  Hyperedge hyperedge = edge({4, 5}, 1.5);
  const Hyperedge& alias = hyperedge;
  hyperedge = alias;
  EXPECT_EQ(std::vector<std::int32_t>({4, 5}), values(hyperedge));
  EXPECT_EQ(1.5, hyperedge.weight);
}

TEST(HyperedgeCopy, AssignVerticesWithoutSourceGivesZeros) {
  Hyperedge hyperedge = edge({4, 5});
  hyperedge.assignVertices(3, nullptr);
  EXPECT_EQ(std::vector<std::int32_t>({0, 0, 0}), values(hyperedge));
}

TEST(HyperedgeAllocation, ByteSizeBeyond32BitsIsFatal) {
  EXPECT_EXIT(Hyperedge(0x40000000u), ::testing::ExitedWithCode(255),
              "^cannot allocate memory!!\n$");
}

TEST(ImageVertex, PacksValueAndPosition) {
  static_assert(hn::encodeImageVertex(37, 4) == 40037);
  static_assert(hn::imageVertexPosition(40037) == 37);
  static_assert(hn::imageVertexValue(40037) == 4);
  static_assert(hn::encodeImageVertex(4799, 214747) == 2147474799);
  EXPECT_EQ(-3, hn::imageVertexPosition(-20003));
}

TEST(HyperedgePrinting, BracesVerticesColonWeight) {
  EXPECT_EQ("{(12,7,30005):2}", text(edge({12, 7, 30005}, 2)));
  EXPECT_EQ("{(-4):0.123457}", text(edge({-4}, 0.1234567)));
  EXPECT_EQ("{(4,17,250):1e-05}", text(edge({4, 17, 250}, 0.00001)));
  std::ostringstream vertices;
  hn::writeVertices(vertices, edge({1, 2}, 9));
  EXPECT_EQ("(1,2)", vertices.str());
}

// The fast text of generation must be byte for byte the stream's.
TEST(HyperedgePrinting, AppendedTextEqualsTheStreamsForAnyWeight) {
  std::mt19937_64 random(5);
  std::vector<double> weights = {0.0,   -0.0,      1.0,      -1.0,      0.5,
                                 1e-05, 1e-5 / 3,  123456.0, 1234567.0, 0.1,
                                 1e300, -2.5e-300, 4.9e-324};
  weights.push_back(std::numeric_limits<double>::infinity());
  weights.push_back(-std::numeric_limits<double>::infinity());
  weights.push_back(std::numeric_limits<double>::quiet_NaN());
  weights.push_back(-std::numeric_limits<double>::quiet_NaN());
  for (int i = 0; i < 2000; ++i) {
    // Any bit pattern, and sums of halves and tenths as training makes.
    const std::uint64_t bits = random();
    double weight;
    std::memcpy(&weight, &bits, sizeof weight);
    weights.push_back(weight);
    weights.push_back(static_cast<double>(random() % 100000) * 0.5);
    weights.push_back(static_cast<double>(random() % 1000) * 0.1 + 0.1);
  }
  for (const double weight : weights) {
    const hn::Hyperedge hyperedge =
        edge({-2147483647 - 1, 0, 2147483647, -7}, weight);
    std::string appended;
    hn::appendText(appended, hyperedge);
    EXPECT_EQ(text(hyperedge), appended) << weight;
  }
}

}  // namespace

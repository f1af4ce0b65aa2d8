#include "learner/data/sentence_image_coupling_sampler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "learner/data/data_set.h"
#include "learner/data/hyperedge.h"

namespace {

using hn::Hyperedge;
using hn::SentenceImageCouplingSampler;
using Instances = std::vector<std::vector<std::int32_t>>;
using Values = std::vector<std::int32_t>;

// Holds the given instances; `load` only counts its calls.
class FakeDataSet : public hn::DataSet {
 public:
  explicit FakeDataSet(Instances given, bool isLoaded = true) {
    instances = std::move(given);
    loaded = isLoaded;
  }
  void load() override {
    ++loads;
    loaded = true;
  }
  int loads = 0;
};

// An initialized sampler over `data`; "perLine" keeps its default when empty.
// Seeds the generator with 1 so that every run draws the same.
SentenceImageCouplingSampler sampler(hn::DataSet* data, std::int32_t order,
                                     std::int32_t order2,
                                     const std::string& perLine = "") {
  SentenceImageCouplingSampler result;
  result.set("order", std::to_string(order));
  result.set("order2", std::to_string(order2));
  if (!perLine.empty()) result.set("perLine", perLine);
  result.dataSet = data;
  result.initialize();
  std::srand(1);
  return result;
}

Values values(const Hyperedge& hyperedge) {
  return {hyperedge.vertices, hyperedge.vertices + hyperedge.vertexCount};
}

// Every hyperedge of the pass, as the learner takes them.
std::vector<Values> drain(SentenceImageCouplingSampler& source,
                          std::uint32_t vertexCount) {
  std::vector<Values> samples;
  Hyperedge hyperedge(vertexCount);
  while (source.hasNext() && samples.size() < 100000) {
    source.next(hyperedge);
    samples.push_back(values(hyperedge));
  }
  return samples;
}

TEST(SentenceImageSampler, CouplesASentenceWindowWithPackedImagePositions) {
  FakeDataSet data({{10, 20, 30}, {5, 6, 7, 8}});
  SentenceImageCouplingSampler source = sampler(&data, 2, 1, "400");
  const std::vector<Values> samples = drain(source, 3);
  ASSERT_EQ(400u, samples.size());

  const std::set<Values> windows = {{10, 20}, {20, 30}};
  const std::set<std::int32_t> vertices = {50000, 60001, 70002, 80003};
  std::set<Values> seenWindows;
  std::set<std::int32_t> seenVertices;
  for (const Values& sample : samples) {
    const Values window(sample.begin(), sample.begin() + 2);
    EXPECT_TRUE(windows.count(window)) << window[0] << "," << window[1];
    EXPECT_TRUE(vertices.count(sample[2])) << sample[2];
    seenWindows.insert(window);
    seenVertices.insert(sample[2]);
  }
  EXPECT_EQ(windows, seenWindows);
  EXPECT_EQ(vertices, seenVertices);

  // A sentence as long as the order is always taken whole.
  FakeDataSet whole({{10, 20}, {5}});
  SentenceImageCouplingSampler wholeSource = sampler(&whole, 2, 0, "50");
  for (const Values& sample : drain(wholeSource, 2)) {
    EXPECT_EQ((Values{10, 20}), sample);
  }
}

TEST(SentenceImageSampler, TakesPerLineHyperedgesFromEveryPairInTurn) {
  const std::vector<Values> threeEach = {{0, 0}, {0, 0}, {0, 0}, {1, 1}, {1, 1},
                                         {1, 1}, {2, 2}, {2, 2}, {2, 2}};
  const struct {
    std::string perLine;
    std::vector<Values> samples;
  } cases[] = {
      {"3", threeEach},
      {"", threeEach},
      {"1", {{0, 0}, {1, 1}, {2, 2}}},
      {"0", {{0, 0}}},
  };
  for (const auto& c : cases) {
    FakeDataSet data({{0, 0}, {9}, {1, 1}, {9}, {2, 2}, {9}});
    SentenceImageCouplingSampler source = sampler(&data, 2, 0, c.perLine);
    EXPECT_EQ(c.samples, drain(source, 2)) << c.perLine;

    // Once exhausted, `next` changes nothing and draws nothing.
    Hyperedge hyperedge(2);
    hyperedge.vertices[0] = 7;
    hyperedge.weight = 4;
    std::srand(5);
    source.next(hyperedge);
    const int draw = std::rand();
    std::srand(5);
    EXPECT_EQ(std::rand(), draw) << c.perLine;
    EXPECT_EQ((Values{7, 0}), values(hyperedge)) << c.perLine;
    EXPECT_EQ(4, hyperedge.weight) << c.perLine;
  }
}

TEST(SentenceImageSampler, DrawsTheWindowStartThenEachPositionInOrder) {
  Values image;
  for (std::int32_t i = 0; i < 100; ++i) image.push_back(i % 37);
  const Instances instances = {
      {1, 2, 3, 4, 5, 6}, image, {7, 8, 9}, {3, 1, 4, 1, 5}};
  FakeDataSet data(instances);
  SentenceImageCouplingSampler source = sampler(&data, 2, 3, "2");
  const std::vector<Values> samples = drain(source, 5);
  const int after = std::rand();

  std::srand(1);
  std::vector<Values> want;
  for (std::size_t pair = 0; pair < 4; pair += 2) {
    const Values& sentence = instances[pair];
    const Values& pixels = instances[pair + 1];
    for (int sample = 0; sample < 2; ++sample) {
      const int start = std::rand() % (static_cast<int>(sentence.size()) - 1);
      Values edge = {sentence[start], sentence[start + 1]};
      for (int j = 0; j < 3; ++j) {
        const std::size_t p =
            static_cast<unsigned>(std::rand()) % pixels.size();
        edge.push_back(pixels[p] * 10000 + static_cast<std::int32_t>(p));
      }
      want.push_back(edge);
    }
  }
  EXPECT_EQ(want, samples);
  EXPECT_EQ(std::rand(), after);
}

TEST(SentenceImageSampler, NeedsPairsToSampleFrom) {
  SentenceImageCouplingSampler unwired = sampler(nullptr, 2, 1);
  EXPECT_FALSE(unwired.hasNext());
  FakeDataSet empty({});
  SentenceImageCouplingSampler source = sampler(&empty, 2, 1);
  EXPECT_FALSE(source.hasNext());

  // The vertex count is checked only while pairs remain.
  Hyperedge wrongSize(7);
  unwired.next(wrongSize);
  source.next(wrongSize);
  EXPECT_EQ(Values(7, 0), values(wrongSize));
}

TEST(SentenceImageSampler, LoadsTheDataSetBeforeReadingIt) {
  FakeDataSet data({{1, 2}, {3}}, false);
  SentenceImageCouplingSampler source = sampler(&data, 2, 1);
  EXPECT_EQ(0, data.loads);
  drain(source, 3);
  EXPECT_EQ(1, data.loads);
}

TEST(SentenceImageSampler, PassesOverPairsThatCannotGiveAHyperedge) {
  // Too short a sentence, no image values to draw, then a good pair, then
  // a sentence without its image: the last call finds nothing to sample
  // and leaves the hyperedge as it was.
  FakeDataSet data({{1}, {5}, {1, 2}, {}, {3, 4}, {6}, {7, 8}});
  SentenceImageCouplingSampler source = sampler(&data, 2, 1, "2");
  EXPECT_EQ((std::vector<Values>{{3, 4, 60000}, {3, 4, 60000}, {3, 4, 60000}}),
            drain(source, 3));
  EXPECT_FALSE(source.hasNext());
}

TEST(SentenceImageSampler, ConstructionSeedsTheGeneratorFromTheClock) {
  std::srand(1);
  const int seededWithOne = std::rand();
  std::srand(1);
  const SentenceImageCouplingSampler source;
  EXPECT_NE(seededWithOne, std::rand());
  EXPECT_EQ("3", source.parameters.at("perLine"));
  EXPECT_EQ("0", source.parameters.at("order"));
}

TEST(SentenceImageSamplerDeathTest, WrongVertexCountEndsTheProcess) {
  const struct {
    std::int32_t order;
    std::int32_t order2;
    std::uint32_t vertexCount;
  } cases[] = {
      {2, 1, 4},
      {2, 1, 2},
      {2, 0, 3},
      // A negative part would write outside the array despite the sum.
      {3, -1, 2},
      {-1, 3, 2},
  };
  for (const auto& c : cases) {
    FakeDataSet data({{1, 2, 3}, {4, 5, 6}});
    SentenceImageCouplingSampler source = sampler(&data, c.order, c.order2);
    Hyperedge hyperedge(c.vertexCount);
    EXPECT_EXIT(source.next(hyperedge), testing::ExitedWithCode(255),
                "^Order mismatch, check order setting or mode setting\n$")
        << c.order << " " << c.order2 << " " << c.vertexCount;
  }
}

}  // namespace

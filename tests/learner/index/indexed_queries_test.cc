// The indexed engine against the literal one on the small cases the
// definitions single out, and on the questions only an engine answers:
// the accuracy pass and the weight update's check.
#include "learner/index/indexed_queries.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "learner/data/hyperedge_testing.h"
#include "learner/data/image.h"
#include "learner/data/simple_stl_map_storage.h"
#include "learner/model/literal_queries.h"

namespace {

using hn::encodeImageVertex;
using hn::Hyperedge;
using hn::ImageBuffer;
using hn::InstanceList;
using hn::Layout;
using hn::testing::edge;
using hn::testing::printed;

struct Engines {
  hn::SimpleSTLMapStorage store;
  hn::IndexedQueries indexed{store, 2};
  hn::LiteralQueries literal{store};
};

ImageBuffer imageOf(std::vector<std::int32_t> values) {
  return hn::imageBufferOf(values);
}

// Stores whose answers take the engines' special paths: vertices outside
// the image, weights whose sums round (0.1), wildcards stored in sentence
// parts, a hyperedge of another length, negative weights.
const struct {
  const char* what;
  Layout layout;
  std::vector<std::pair<std::vector<std::int32_t>, double>> stored;
} kStores[] = {
    {"vertices outside the image",
     {1, 1},
     {{{1, encodeImageVertex(4800, 3)}, 2.0},
      {{1, -20003}, 2.0},
      {{1, encodeImageVertex(4799, 3)}, 1.0},
      {{1, encodeImageVertex(0, 2)}, 1.0}}},
    {"sums that round",
     {1, 2},
     {{{1, encodeImageVertex(0, 1), encodeImageVertex(1, 1)}, 0.1},
      {{1, encodeImageVertex(0, 2), encodeImageVertex(1, 1)}, 0.2},
      {{2, encodeImageVertex(0, 1), encodeImageVertex(0, 2)}, 0.1},
      {{2, encodeImageVertex(1, 1), encodeImageVertex(2, 0)}, 0.3}}},
    {"stored wildcards",
     {2, 1},
     {{{-1, 5, encodeImageVertex(0, 1)}, 1.0},
      {{3, 5, encodeImageVertex(0, 1)}, 2.0},
      {{3, -1, encodeImageVertex(1, 0)}, 1.5},
      {{3, 6, encodeImageVertex(0, 1)}, 1.0}}},
    {"mixed lengths and negative weights",
     {1, 1},
     {{{1, encodeImageVertex(0, 1)}, -1.0},
      {{1, encodeImageVertex(0, 2)}, 0.5},
      {{1, 7}, 4.0},
      {{2, encodeImageVertex(0, 1), 9}, 3.0}}},
};

TEST(IndexedQueries, AnswerAsTheDefinitionsOnTheirSpecialCases) {
  const std::vector<std::vector<std::int32_t>> sentences = {
      {}, {1}, {2}, {1, 2, 1}, {3, 5}, {3, 6, 3, 5}, {-1, 5}};
  const std::vector<ImageBuffer> images = {
      imageOf({1, 1, 0}), imageOf({2, 0}), imageOf({}),
      imageOf(std::vector<std::int32_t>(hn::kImageSize, 3))};
  for (const auto& c : kStores) {
    Engines e;
    for (const auto& [vertices, weight] : c.stored) {
      Hyperedge hyperedge(static_cast<std::uint32_t>(vertices.size()),
                          vertices.data());
      e.store.setWeight(hyperedge, weight);
    }
    for (const std::vector<std::int32_t>& sentence : sentences) {
      std::vector<std::int32_t> fast = {123};
      std::vector<std::int32_t> literal;
      e.indexed.inferImageValues(c.layout, sentence, fast);
      e.literal.inferImageValues(c.layout, sentence, literal);
      EXPECT_EQ(literal, fast) << c.what;
      ImageBuffer fastImage = imageOf({9});
      ImageBuffer literalImage = imageOf({9});
      e.indexed.generateImage(c.layout, sentence, fastImage);
      e.literal.generateImage(c.layout, sentence, literalImage);
      EXPECT_EQ(literalImage, fastImage) << c.what;
    }
    for (const ImageBuffer& image : images) {
      // Fragments passed in take part in the merging.
      for (const std::vector<Hyperedge>& given :
           {std::vector<Hyperedge>{}, {edge({3, 5}, 10.0), edge({7}, 1.0)}}) {
        std::vector<Hyperedge> fast = given;
        std::vector<Hyperedge> literal = given;
        e.indexed.generateText(c.layout, image, fast);
        e.literal.generateText(c.layout, image, literal);
        EXPECT_EQ(printed(literal), printed(fast)) << c.what;
      }
    }
    for (const auto& [vertices, weight] : c.stored) {
      Hyperedge pattern(static_cast<std::uint32_t>(vertices.size()),
                        vertices.data());
      pattern.vertices[pattern.vertexCount - 1] = hn::kWildcard;
      std::vector<std::string> fast;
      std::vector<std::string> literal;
      const auto recordInto = [](std::vector<std::string>& record) {
        return [&record](std::span<const std::int32_t> match, double weight) {
          Hyperedge h(static_cast<std::uint32_t>(match.size()), match.data());
          h.weight = weight;
          std::ostringstream text;
          text << h;
          record.push_back(text.str());
        };
      };
      e.indexed.forEachMatch(pattern, recordInto(fast));
      e.literal.forEachMatch(pattern, recordInto(literal));
      EXPECT_EQ(literal, fast) << c.what;
    }
  }
}

// Pairs 0, 2 and 3 share a sentence but not an image; pair 1's image is
// shorter than the others'.
InstanceList trainingPairs() {
  return InstanceList{{1, 2},    {1, 1, 0}, {2, 2},    {1}, {1, 2},
                      {1, 0, 0}, {1, 2},    {1, 1, 0}, {4}, {0, 0, 0}};
}

// Every pair's image generated from its sentence and compared with its own
// image; the check of one pair agrees with its count, and text generated
// from its image with the definition's, before and after the store changes
// under the engine.
TEST(IndexedQueries, CountAndCheckEveryPairAgainstItsOwnImage) {
  const InstanceList pairs = trainingPairs();
  const Layout layout{1, 1};
  Engines e;
  e.store.setWeight(edge({1, encodeImageVertex(0, 1)}), 1.0);
  e.store.setWeight(edge({2, encodeImageVertex(1, 1)}), 1.0);
  e.store.setWeight(edge({2, encodeImageVertex(2, 0)}), 1.0);
  e.store.setWeight(edge({4, encodeImageVertex(0, 0)}), 0.5);
  for (int round = 0; round < 3; ++round) {
    // Before any accuracy pass, and after the store changed since the last.
    for (std::size_t pair = 0; pair < 5; ++pair) {
      const std::vector<std::int32_t> sentence = pairs[2 * pair].values();
      const ImageBuffer image = hn::imageBufferOf(pairs[2 * pair + 1]);
      EXPECT_EQ(e.literal.generatesImage(layout, pair, sentence, image),
                e.indexed.generatesImage(layout, pair, sentence, image))
          << "round " << round << ", pair " << pair;
    }
    const std::vector<std::uint32_t> literal =
        e.literal.imageMismatches(layout, pairs, {});
    std::vector<std::size_t> done;
    const std::vector<std::uint32_t> fast = e.indexed.imageMismatches(
        layout, pairs,
        [&done](std::size_t pairsDone) { done.push_back(pairsDone); });
    EXPECT_EQ(literal, fast) << "round " << round;
    EXPECT_EQ(5u, done.back());
    for (std::size_t pair = 0; pair < 5; ++pair) {
      const std::vector<std::int32_t> sentence = pairs[2 * pair].values();
      const ImageBuffer image = hn::imageBufferOf(pairs[2 * pair + 1]);
      // Asked twice: the second time from where the first found it wrong.
      for (int ask = 0; ask < 2; ++ask) {
        EXPECT_EQ(literal[pair] == 0,
                  e.indexed.generatesImage(layout, pair, sentence, image))
            << "round " << round << ", pair " << pair;
      }
      std::vector<Hyperedge> fastText;
      std::vector<Hyperedge> literalText;
      e.indexed.generateText(layout, image, fastText);
      e.literal.generateText(layout, image, literalText);
      EXPECT_EQ(printed(literalText), printed(fastText))
          << "round " << round << ", pair " << pair;
    }
    // The store changes as a weight update changes it.
    e.store.setWeight(edge({1, encodeImageVertex(1, 1)}), 2.0 + round);
    e.store.setWeight(edge({1, encodeImageVertex(0, 1)}), -1.0 * round);
    e.store.getWeight(edge({4, encodeImageVertex(1, 0)}));
  }
}

// Images between equal sentences, texts between equal images, and only
// in the indexed engine.
TEST(IndexedQueries, ShareBetweenEqualInstancesOnly) {
  const InstanceList sentences{{1, 2}, {2, 1}, {1, 2}, {}, {256}, {0, 1}, {}};
  std::vector<hn::InstanceView> views;
  for (std::size_t i = 0; i < sentences.size(); ++i) {
    views.push_back(sentences[i]);
  }
  Engines e;
  EXPECT_EQ((std::vector<std::size_t>{0, 1, 0, 3, 4, 5, 3}),
            e.indexed.sharedImages(views));
  EXPECT_EQ((std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6}),
            e.literal.sharedImages(views));
  EXPECT_EQ((std::vector<std::size_t>{0, 1, 0, 3, 4, 5, 3}),
            e.indexed.sharedTexts(views));
  EXPECT_EQ((std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6}),
            e.literal.sharedTexts(views));
}

}  // namespace

// The indexed engine against the literal one where weights are not binary
// fractions, so that sums depend on the order of their terms: weight-update
// parameters 0.1, 0.3, 0.7, -0.1 and 1e-3, weights that are ordered sums of
// such steps as training makes them, sentences that repeat their windows,
// data sets that repeat sentences, and stores built so that candidates and
// fragments tie or nearly tie (0.1 + 0.2 is not 0.3).
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "learner/data/hyperedge_testing.h"
#include "learner/data/image.h"
#include "learner/data/instance_list.h"
#include "learner/data/simple_stl_map_storage.h"
#include "learner/index/indexed_queries.h"
#include "learner/model/literal_queries.h"

namespace {

using hn::encodeImageVertex;
using hn::Hyperedge;
using hn::ImageBuffer;
using hn::InstanceList;
using hn::Layout;
using hn::testing::bitsOf;
using hn::testing::edge;
using hn::testing::printed;

struct Engines {
  hn::SimpleSTLMapStorage store;
  hn::IndexedQueries indexed{store, 2};
  hn::IndexedQueries exactText{store, 2, true};
  hn::LiteralQueries literal{store};

  // Reinforces as the weight update does: the weight read, plus `step`.
  void reinforce(const Hyperedge& hyperedge, double step) {
    store.setWeight(hyperedge, store.getWeight(hyperedge) + step);
  }
};

constexpr std::int32_t kPositions = 12;  // of the image's 4800

class Random {
 public:
  explicit Random(unsigned seed) : random(seed) {}

  int pick(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  }

  // Few words, so that windows repeat within and across sentences; now and
  // then a long sentence of one or two words, whose windows repeat often.
  std::vector<std::int32_t> sentence() {
    const bool longOne = pick(0, 5) == 0;
    std::vector<std::int32_t> words(
        static_cast<std::size_t>(longOne ? pick(10, 40) : pick(0, 6)));
    for (std::int32_t& word : words) word = pick(0, longOne ? 1 : 3);
    return words;
  }

  // Background 0 with a patch of 1s or 2s, over few positions so that many
  // hyperedges vote at each.
  ImageBuffer image() {
    ImageBuffer values;
    values.fill(-1);
    const int patch = pick(0, kPositions - 1);
    const int colour = pick(1, 2);
    for (int p = 0; p < kPositions; ++p) {
      values[static_cast<std::size_t>(p)] =
          (p >= patch && p < patch + 3) ? colour : 0;
    }
    return values;
  }

  Hyperedge sampled(std::uint32_t order, std::uint32_t order2) {
    std::vector<std::int32_t> words;
    while (words.size() < order) words = sentence();
    const ImageBuffer pixels = image();
    Hyperedge hyperedge(order + order2);
    const auto start = static_cast<std::size_t>(
        pick(0, static_cast<int>(words.size() - order)));
    for (std::uint32_t i = 0; i < order; ++i) {
      hyperedge.vertices[i] = words[start + i];
    }
    for (std::uint32_t i = 0; i < order2; ++i) {
      const int position = pick(0, kPositions - 1);
      hyperedge.vertices[order + i] = encodeImageVertex(
          position, pixels[static_cast<std::size_t>(position)]);
    }
    return hyperedge;
  }

 private:
  std::mt19937 random;
};

// Every question both engines answer, on `pairs` (sentence, image, ...).
void expectSameAnswers(Engines& e, Layout layout, const InstanceList& pairs,
                       const std::string& context) {
  const std::size_t count = pairs.size() / 2;
  for (std::size_t pair = 0; pair < count; ++pair) {
    const std::vector<std::int32_t> sentence = pairs[2 * pair].values();
    const ImageBuffer image = hn::imageBufferOf(pairs[2 * pair + 1]);
    const std::string where = context + ", pair " + std::to_string(pair);

    std::vector<std::int32_t> fast;
    std::vector<std::int32_t> literal;
    e.indexed.inferImageValues(layout, sentence, fast);
    e.literal.inferImageValues(layout, sentence, literal);
    EXPECT_EQ(literal, fast) << where;

    ImageBuffer fastImage;
    ImageBuffer literalImage;
    fastImage.fill(-1);
    literalImage.fill(-1);
    e.indexed.generateImage(layout, sentence, fastImage);
    e.literal.generateImage(layout, sentence, literalImage);
    EXPECT_EQ(literalImage, fastImage) << where;
    // Asked of its own image and of the one generated: the check answers
    // position by position.
    EXPECT_EQ(e.literal.generatesImage(layout, pair, sentence, image),
              e.indexed.generatesImage(layout, pair, sentence, image))
        << where;
    EXPECT_TRUE(e.indexed.generatesImage(layout, pair, sentence, fastImage))
        << where;

    std::vector<Hyperedge> fastText;
    std::vector<Hyperedge> literalText;
    e.indexed.generateText(layout, image, fastText);
    e.literal.generateText(layout, image, literalText);
    EXPECT_EQ(printed(literalText), printed(fastText)) << where;
    // Asked for them, the very doubles.
    std::vector<Hyperedge> exactText;
    e.exactText.generateText(layout, image, exactText);
    EXPECT_EQ(bitsOf(literalText), bitsOf(exactText)) << where;
  }
  EXPECT_EQ(e.literal.imageMismatches(layout, pairs, {}),
            e.indexed.imageMismatches(layout, pairs, {}))
      << context;
}

TEST(RoundedSums, IndexedAnswersAreTheDefinitionsForEveryParameter) {
  const double parameters[] = {0.1, 0.3, 0.7, -0.1, 1e-3};
  for (const double step : parameters) {
    for (unsigned seed = 0; seed < 8; ++seed) {
      Random random(seed);
      const auto order = static_cast<std::uint32_t>(random.pick(1, 3));
      const auto order2 = static_cast<std::uint32_t>(random.pick(1, 3));
      const Layout layout{order, order2};
      Engines e;
      // Pairs, some repeating an earlier sentence.
      InstanceList pairs;
      std::vector<std::vector<std::int32_t>> sentences;
      for (int pair = 0; pair < 8; ++pair) {
        if (!sentences.empty() && random.pick(0, 2) == 0) {
          sentences.push_back(sentences[static_cast<std::size_t>(
              random.pick(0, static_cast<int>(sentences.size()) - 1))]);
        } else {
          sentences.push_back(random.sentence());
        }
        const ImageBuffer image = random.image();
        pairs.push_back(sentences.back());
        pairs.push_back(std::vector<std::int32_t>(image.begin(),
                                                  image.begin() + kPositions));
      }
      // Sampled with weight 1 (or more, when sampled again), then
      // reinforced by `step` as the weight update does, some many times.
      const int size = random.pick(20, 200);
      std::vector<Hyperedge> sampled;
      for (int i = 0; i < size; ++i) {
        sampled.push_back(random.sampled(order, order2));
        if (random.pick(0, 1) == 0) {
          e.store.add(sampled.back());
        } else {
          e.reinforce(sampled.back(), step);
        }
      }
      const std::string context =
          "step " + std::to_string(step) + ", seed " + std::to_string(seed);
      expectSameAnswers(e, layout, pairs, context);
      // The store changes under the built indexes: reinforced up, and
      // down by the negative step.
      for (int round = 0; round < 2; ++round) {
        for (const Hyperedge& hyperedge : sampled) {
          const int times = random.pick(0, 3) == 0 ? random.pick(1, 12) : 0;
          for (int t = 0; t < times; ++t) {
            e.reinforce(hyperedge, random.pick(0, 3) == 0 ? -step : step);
          }
        }
        expectSameAnswers(e, layout, pairs,
                          context + ", round " + std::to_string(round));
      }
    }
  }
}

// Value 1 and value 2 at position 0 collect 0.1, 0.2 and 0.3 and 0.6 in
// several windows: 0.1 + 0.2 + 0.3 is 0.6000000000000001 in that order and
// 0.6 in the other, so the winner and the ranking depend on the order in
// which the windows vote; equal sums go to the value voted for first.
TEST(RoundedSums, NearTiesOfCandidatesAreDecidedInVotingOrder) {
  const Layout layout{1, 1};
  Engines e;
  const std::int32_t one = encodeImageVertex(0, 1);
  const std::int32_t two = encodeImageVertex(0, 2);
  e.store.setWeight(edge({1, one}), 0.1);
  e.store.setWeight(edge({2, one}), 0.2);
  e.store.setWeight(edge({3, one}), 0.3);
  e.store.setWeight(edge({4, two}), 0.6);
  e.store.setWeight(edge({5, two}), 0.3);
  e.store.setWeight(edge({5, encodeImageVertex(1, 7)}), 0.1);
  e.store.setWeight(edge({6, two}), 0.1);
  e.store.setWeight(edge({6, two}), 0.1);
  e.store.setWeight(edge({7, encodeImageVertex(1, 8)}), 0.2);
  e.store.setWeight(edge({8, encodeImageVertex(1, 8)}), 0.1);
  const std::vector<std::vector<std::int32_t>> sentences = {
      {1, 2, 3, 4},
      {4, 1, 2, 3},
      {3, 2, 1, 4},
      {4, 3, 2, 1},
      {1, 2, 5},
      {5, 1, 2},
      {2, 1, 5},
      {6, 6, 6, 3},
      {3, 6, 6, 6},
      {1, 2, 3, 7},
      {7, 8, 5, 5},
      {8, 7, 6, 1},
      {1, 1, 1, 2, 2, 2, 3, 4, 4}};
  InstanceList pairs;
  for (const std::vector<std::int32_t>& sentence : sentences) {
    pairs.push_back(sentence);
    pairs.push_back(std::vector<std::int32_t>{1, 8});
  }
  e.indexed.fallbackCounts().reset();
  expectSameAnswers(e, layout, pairs, "near ties");
  // The bounds could not decide these alone.
  EXPECT_GT(e.indexed.fallbackCounts().positionsRecomputed.load(), 0u);
  EXPECT_GT(e.indexed.fallbackCounts().candidatesRecomputed.load(), 0u);
}

// The vote tables sum a group's members in the order they were taken in,
// voting adds them up by rank: value 1 gets 0.1, 0.2 and 0.3 from one
// window, 0.6000000000000001 in the first order and 0.6 in the second,
// and so ties with value 2's 0.6, which ranks first. Then the tables'
// running sums drift as one member's weight falls from 2 by 0.1 ten times
// beside a member of weight 3: the drift exceeds what the order alone
// could explain, and value 1 ties with value 3 voted before it.
TEST(RoundedSums, TheTablesOwnOrderAndDriftAreAllowedFor) {
  const Layout layout{1, 2};
  Engines e;
  const std::int32_t one = encodeImageVertex(0, 1);
  const std::int32_t two = encodeImageVertex(0, 2);
  e.store.setWeight(edge({1, one, encodeImageVertex(1, 0)}), 0.1);
  e.store.setWeight(edge({1, one, encodeImageVertex(2, 0)}), 0.2);
  e.store.setWeight(edge({1, one, encodeImageVertex(3, 0)}), 0.3);
  e.store.setWeight(edge({1, two, encodeImageVertex(4, 0)}), 0.6);
  InstanceList pairs;
  pairs.push_back(std::vector<std::int32_t>{1});
  pairs.push_back(std::vector<std::int32_t>{2, 0, 0, 0, 0});
  expectSameAnswers(e, layout, pairs, "the tables' order");

  Engines drift;
  const std::int32_t three = encodeImageVertex(0, 3);
  const Hyperedge falling = edge({2, one, encodeImageVertex(1, 0)});
  drift.store.setWeight(falling, 2.0);
  drift.store.setWeight(edge({2, one, encodeImageVertex(2, 0)}), 3.0);
  // Voting adds 3 and the fallen weight: 3.999999999999999 exactly.
  double fallen = 2.0;
  for (int step = 0; step < 10; ++step) fallen += -0.1;
  drift.store.setWeight(edge({9, three, encodeImageVertex(3, 0)}),
                        3.0 + fallen);
  InstanceList sentence;
  sentence.push_back(std::vector<std::int32_t>{9, 2});
  sentence.push_back(std::vector<std::int32_t>{3, 0, 0, 0});
  // The tables are built first, then follow the weight as it falls; their
  // running sum ends at 4.0000000000000036.
  expectSameAnswers(drift, layout, sentence, "before the drift");
  for (int step = 0; step < 10; ++step) drift.reinforce(falling, -0.1);
  expectSameAnswers(drift, layout, sentence, "after the drift");
}

// Fragment (1) sums 0.1, 0.2 and 0.3 in vertex order, 0.6000000000000001,
// and ranks before fragment (2) of 0.6 though both print 0.6; fragment (0)
// of 0.7 + 0.2 + 0.1 is 0.9999999999999999, which prints 1 but weighs less
// than 1, while the index, which adds its 0.3 at position 3 and takes it
// away where the image differs there, gets 1; fragments (3) and (4) tie
// exactly.
TEST(RoundedSums, NearTiesOfFragmentsAreDecidedInVertexOrder) {
  const Layout layout{1, 2};
  Engines e;
  const std::int32_t a = encodeImageVertex(0, 1);
  const std::int32_t b = encodeImageVertex(1, 1);
  const std::int32_t c = encodeImageVertex(2, 1);
  const std::int32_t off = encodeImageVertex(2, 5);
  e.store.setWeight(edge({0, a, a}), 0.7);
  e.store.setWeight(edge({0, a, b}), 0.2);
  e.store.setWeight(edge({0, b, c}), 0.1);
  e.store.setWeight(edge({0, a, encodeImageVertex(3, 1)}), 0.3);
  e.store.setWeight(edge({1, a, a}), 0.1);
  e.store.setWeight(edge({1, a, b}), 0.2);
  e.store.setWeight(edge({1, b, c}), 0.3);
  e.store.setWeight(edge({1, c, off}), 5.0);
  e.store.setWeight(edge({2, a, a}), 0.6);
  e.store.setWeight(edge({2, b, off}), 0.3);
  e.store.setWeight(edge({3, a, c}), 0.3);
  e.store.setWeight(edge({3, b, c}), 0.3);
  e.store.setWeight(edge({4, a, b}), 0.6);
  for (int k = 0; k < 40; ++k) {
    e.store.setWeight(edge({5, a, encodeImageVertex(3 + k, 1)}), 0.1);
  }
  // Images near the reference (value 1 everywhere), so that the index
  // answers rather than a scan.
  InstanceList pairs;
  for (int variant = 0; variant < 5; ++variant) {
    std::vector<std::int32_t> image(43, 1);
    if (variant == 0) image[3] = 0;
    if (variant == 1) image[2] = 5;
    if (variant == 2) image[1] = 0;
    if (variant == 3) image[10] = 0;
    pairs.push_back(std::vector<std::int32_t>{0, 1, 2});
    pairs.push_back(image);
  }
  e.indexed.fallbackCounts().reset();
  expectSameAnswers(e, layout, pairs, "fragments");
  EXPECT_GT(e.indexed.fallbackCounts().fragmentsRecomputed.load(), 0u);

  // The held-out score counts the fragments of weight 1 or more.
  std::vector<Hyperedge> fragments;
  e.indexed.generateText(layout, hn::imageBufferOf(pairs[1]), fragments);
  for (const Hyperedge& fragment : fragments) {
    if (fragment.vertices[0] == 0) {
      EXPECT_LT(fragment.weight, 1.0);
    }
  }
}

}  // namespace

// The learner's indexed answers against the literal algorithms, on stores
// shaped like trained ones: images mostly of one background value with
// patches of others, weights that are whole or half (sums exact, the
// indexes answer) or tenths (sums rounded, the ordered paths answer),
// negative and zero weights, repeated positions within a hyperedge, and
// stores that change between queries.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "learner/index/indexed_queries.h"
#include "learner/index/text_generator.h"
#include "learner/model/learner_fixture.h"
#include "learner/model/literal_queries.h"

namespace {

using hn::Hyperedge;
using hn::ImageBuffer;
using hn::testing::LearnerFixture;
using hn::testing::printed;

constexpr std::int32_t kWords = 4;
constexpr std::int32_t kPositions = 60;  // of the image's 4800

class RandomStore {
 public:
  explicit RandomStore(unsigned seed) : random(seed) {}

  int pick(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  }

  // Background 0, a patch of 1s or 2s somewhere, -1 past a shorter image.
  ImageBuffer image() {
    ImageBuffer values;
    values.fill(-1);
    const int length = pick(0, 3) == 0 ? pick(1, kPositions) : kPositions;
    const int patch = pick(0, kPositions - 1);
    const int colour = pick(1, 2);
    for (int p = 0; p < length; ++p) {
      values[static_cast<std::size_t>(p)] =
          (p >= patch && p < patch + 8) ? colour : 0;
    }
    return values;
  }

  std::vector<std::int32_t> sentence() {
    std::vector<std::int32_t> words(static_cast<std::size_t>(pick(0, 6)));
    for (std::int32_t& word : words) word = pick(0, kWords - 1);
    return words;
  }

  // A hyperedge sampled from a random sentence and image, as the sampler
  // builds them; positions may repeat.
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
      const std::int32_t value = pixels[static_cast<std::size_t>(position)];
      hyperedge.vertices[order + i] =
          hn::encodeImageVertex(position, value < 0 ? 0 : value);
    }
    return hyperedge;
  }

  double weight(double step) { return step * pick(-2, 8); }

 private:
  std::mt19937 random;
};

// The learner asks the indexed engine; the literal one answers beside it.
void expectSameAnswers(LearnerFixture& f, RandomStore& random, int queries,
                       const std::string& context) {
  const auto n = static_cast<std::uint32_t>(f.learner.order);
  const auto m = static_cast<std::uint32_t>(f.learner.order2);
  const hn::TextGenerator indexed(f.storage, n, m);
  const hn::LiteralQueries definitions(f.storage);
  for (int q = 0; q < queries; ++q) {
    const std::vector<std::int32_t> sentence = random.sentence();
    std::vector<std::int32_t> fast;
    std::vector<std::int32_t> literal;
    f.learner.inferImageValues(sentence, fast);
    definitions.inferImageValues(f.learner.layout(), sentence, literal);
    EXPECT_EQ(literal, fast) << context << ", query " << q;

    ImageBuffer generated;
    generated.fill(-1);
    f.learner.generateImage(sentence, generated);
    ImageBuffer expected;
    expected.fill(-1);
    for (const std::int32_t vertex : literal) {
      expected[static_cast<std::size_t>(hn::imageVertexPosition(vertex))] =
          hn::imageVertexValue(vertex);
    }
    EXPECT_EQ(expected, generated) << context << ", query " << q;

    const ImageBuffer image = random.image();
    std::vector<Hyperedge> fromIndex;
    std::vector<Hyperedge> fromDefinition;
    indexed.generate(image, fromIndex);
    definitions.generateText(f.learner.layout(), image, fromDefinition);
    EXPECT_EQ(printed(fromDefinition), printed(fromIndex))
        << context << ", image " << q;
  }
}

TEST(FastPaths, AgreeWithTheLiteralAlgorithmsOnGeneratedStores) {
  for (unsigned seed = 0; seed < 24; ++seed) {
    RandomStore random(seed);
    const auto order = static_cast<std::int32_t>(random.pick(0, 3));
    const auto order2 = static_cast<std::int32_t>(random.pick(1, 4));
    const double step = seed % 3 == 2 ? 0.1 : 0.5;
    LearnerFixture f(2, order, order2);
    hn::IndexedQueries engine(f.storage, 1);
    f.learner.queries = &engine;
    const int size = random.pick(1, 400);
    for (int i = 0; i < size; ++i) {
      const Hyperedge hyperedge =
          random.sampled(static_cast<std::uint32_t>(order),
                         static_cast<std::uint32_t>(order2));
      if (random.pick(0, 1) == 0) {
        f.storage.add(hyperedge);
      } else {
        f.storage.setWeight(hyperedge, random.weight(step));
      }
    }
    const std::string context = "seed " + std::to_string(seed);
    expectSameAnswers(f, random, 20, context);

    // Weights change after the indexes were built, up and down.
    for (const Hyperedge& stored : f.storage.getAll(false)) {
      if (random.pick(0, 2) == 0) {
        f.storage.setWeight(stored, stored.weight + random.weight(step));
      }
    }
    expectSameAnswers(f, random, 20, context + " after changes");
  }
}

}  // namespace

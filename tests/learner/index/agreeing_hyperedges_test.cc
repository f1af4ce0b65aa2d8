// Finding the agreeing hyperedges of images that share no background,
// through postings and 64 images at a time: against testing every
// hyperedge, on stores with vertices outside the image, repeated and
// conflicting positions and hyperedges of every size; and text generated
// through them, one image or many at a time, against the definition, to
// the bit, where weights round.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "learner/data/hyperedge_testing.h"
#include "learner/data/image.h"
#include "learner/data/simple_stl_map_storage.h"
#include "learner/index/batch_matcher.h"
#include "learner/index/fallback_counts.h"
#include "learner/index/text_generator.h"
#include "learner/index/vertex_postings.h"
#include "learner/model/literal_queries.h"

namespace {

using hn::encodeImageVertex;
using hn::Hyperedge;
using hn::ImageBuffer;
using hn::testing::bitsOf;

constexpr int kPositions = 40;  // of the image's 4800
constexpr int kValues = 16;

class Random {
 public:
  explicit Random(unsigned seed) : engine(seed) {}

  int pick(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(engine);
  }

  // Every position its own value: no background in common. Now and then
  // the first position holds no value, which a vertex of the value -1 at
  // position 0 agrees with.
  ImageBuffer image() {
    ImageBuffer values;
    values.fill(-1);
    const int length = pick(0, 4) == 0 ? pick(1, kPositions) : kPositions;
    for (int p = pick(0, 5) == 0 ? 1 : 0; p < length; ++p) {
      values[static_cast<std::size_t>(p)] = pick(0, kValues - 1);
    }
    return values;
  }

  // Mostly vertices an image of `source` holds; now and then one outside
  // the image, of a negative value, or another value at a position held
  // already.
  std::int32_t imageVertex(const ImageBuffer& source) {
    switch (pick(0, 30)) {
      case 0:
        return encodeImageVertex(
            static_cast<std::int32_t>(hn::kImageSize) + pick(0, 9), pick(0, 3));
      case 1:
        return encodeImageVertex(pick(0, kPositions - 1), -1);
      case 2:
        return hn::kWildcard;
      default: {
        const int position = pick(0, kPositions - 1);
        const std::int32_t value = source[static_cast<std::size_t>(position)];
        return encodeImageVertex(position, value < 0 ? pick(0, 3) : value);
      }
    }
  }

 private:
  std::mt19937 engine;
};

bool agreesByTesting(const std::int32_t* imageVertices, std::uint32_t count,
                     const ImageBuffer& image) {
  for (std::uint32_t k = 0; k < count; ++k) {
    const std::int32_t position = hn::imageVertexPosition(imageVertices[k]);
    if (!hn::isImagePosition(position) ||
        image[static_cast<std::size_t>(position)] !=
            hn::imageVertexValue(imageVertices[k])) {
      return false;
    }
  }
  return true;
}

// Hyperedges of random sizes, drawn from images without a background.
struct RandomHyperedges {
  RandomHyperedges(Random& random)
      : sentenceSlots(static_cast<std::uint32_t>(random.pick(0, 3))),
        imageSlots(static_cast<std::uint32_t>(random.pick(1, 4))),
        count(static_cast<std::size_t>(random.pick(0, 600))) {
    for (std::size_t i = 0; i < count; ++i) {
      const ImageBuffer source = random.image();
      for (std::uint32_t slot = 0; slot < length(); ++slot) {
        vertices.push_back(slot < sentenceSlots ? random.pick(0, 3)
                                                : random.imageVertex(source));
      }
    }
  }

  std::uint32_t length() const { return sentenceSlots + imageSlots; }

  std::vector<std::uint32_t> agreeingByTesting(const ImageBuffer& image) const {
    std::vector<std::uint32_t> agreeing;
    for (std::size_t i = 0; i < count; ++i) {
      if (agreesByTesting(vertices.data() + i * length() + sentenceSlots,
                          imageSlots, image)) {
        agreeing.push_back(static_cast<std::uint32_t>(i));
      }
    }
    return agreeing;
  }

  std::uint32_t sentenceSlots;
  std::uint32_t imageSlots;
  std::size_t count;
  std::vector<std::int32_t> vertices;
};

TEST(VertexPostings, FindExactlyTheAgreeingHyperedgesInIncreasingOrder) {
  for (unsigned seed = 0; seed < 40; ++seed) {
    Random random(seed);
    const RandomHyperedges store(random);
    const hn::VertexPostings postings(store.vertices, store.count,
                                      store.sentenceSlots, store.length());
    for (int query = 0; query < 30; ++query) {
      const ImageBuffer image = random.image();
      std::vector<std::uint32_t> expected = store.agreeingByTesting(image);
      hn::VertexPostings::Candidates candidates;
      const std::size_t tested = postings.candidates(image, candidates);
      std::vector<std::uint32_t> found = {7};  // appended to, not replaced
      postings.agreeing(image, candidates, found);
      expected.insert(expected.begin(), 7);
      EXPECT_EQ(expected, found) << "seed " << seed << ", query " << query;
      EXPECT_LE(found.size() - 1, tested);
      EXPECT_LE(tested, store.count);
    }
  }
}

TEST(BatchMatcher, FindsExactlyEachImagesAgreeingHyperedgesInIncreasingOrder) {
  for (unsigned seed = 0; seed < 40; ++seed) {
    Random random(500 + seed);
    const RandomHyperedges store(random);
    const hn::BatchMatcher matcher(store.vertices, store.count,
                                   store.sentenceSlots, store.length());
    // One image, a few, and a full batch of them.
    for (const int images : {1, 5, 64}) {
      std::vector<ImageBuffer> batch;
      std::vector<const ImageBuffer*> pointers;
      for (int k = 0; k < images; ++k) batch.push_back(random.image());
      for (const ImageBuffer& image : batch) pointers.push_back(&image);
      std::vector<std::vector<std::uint32_t>> found(
          static_cast<std::size_t>(images));
      found.front().push_back(7);  // appended to, not replaced
      matcher.agreeing(pointers, found);
      for (int k = 0; k < images; ++k) {
        std::vector<std::uint32_t> expected =
            store.agreeingByTesting(batch[static_cast<std::size_t>(k)]);
        if (k == 0) expected.insert(expected.begin(), 7);
        EXPECT_EQ(expected, found[static_cast<std::size_t>(k)])
            << "seed " << seed << ", image " << k << " of " << images;
      }
    }
  }
}

// Trained-like weights: ordered sums of steps that round, so that the
// fragments' sums depend on the order of their terms; few words, so that
// many hyperedges share a sentence part.
TEST(TextGenerator, TextOfImagesWithoutBackgroundIsTheDefinitionsToTheBit) {
  const double steps[] = {0.1, 0.3, 0.7, -0.1, 1e-3, 0.5};
  std::uint64_t batched = 0;
  for (unsigned seed = 0; seed < 18; ++seed) {
    Random random(100 + seed);
    const double step = steps[seed % std::size(steps)];
    const std::uint32_t sentenceSlots = 1 + seed % 3;
    const std::uint32_t imageSlots = 1 + seed % 4;
    hn::SimpleSTLMapStorage store;
    for (int i = 0; i < 2000; ++i) {
      const ImageBuffer source = random.image();
      Hyperedge hyperedge(sentenceSlots + imageSlots);
      for (std::uint32_t slot = 0; slot < hyperedge.vertexCount; ++slot) {
        hyperedge.vertices[slot] = slot < sentenceSlots
                                       ? random.pick(0, 2)
                                       : random.imageVertex(source);
      }
      for (int update = random.pick(1, 3); update > 0; --update) {
        store.setWeight(hyperedge, store.getWeight(hyperedge) + step);
      }
    }
    hn::FallbackCounts counts;
    const hn::TextGenerator generator(store, sentenceSlots, imageSlots, true,
                                      &counts, true);
    const hn::LiteralQueries literal(store);
    const hn::Layout layout{sentenceSlots, imageSlots};
    // One at a time, then more than a batch of 64 at once.
    for (int query = 0; query < 20; ++query) {
      const ImageBuffer image = random.image();
      std::vector<Hyperedge> fast;
      std::vector<Hyperedge> defined;
      generator.generate(image, fast);
      literal.generateText(layout, image, defined);
      EXPECT_EQ(bitsOf(defined), bitsOf(fast))
          << "seed " << seed << ", step " << step << ", query " << query;
    }
    std::vector<ImageBuffer> images;
    for (int k = 0; k < 70; ++k) images.push_back(random.image());
    std::vector<std::vector<Hyperedge>> fast(images.size());
    generator.generateAll(images, fast);
    for (std::size_t k = 0; k < images.size(); ++k) {
      std::vector<Hyperedge> defined;
      literal.generateText(layout, images[k], defined);
      EXPECT_EQ(bitsOf(defined), bitsOf(fast[k]))
          << "seed " << seed << ", step " << step << ", image " << k;
    }
    // Images are found through the postings or in batches, testing a part
    // of the population each.
    EXPECT_GT(counts.imagesByPostings.load(), 10u) << "seed " << seed;
    EXPECT_LT(counts.hyperedgesTested.load(), 90u * store.size())
        << "seed " << seed;
    batched += counts.imagesInBatches.load();
  }
  EXPECT_GT(batched, 0u);
}

// A vertex of the value -1 at position 0 (packed as -10000) agrees only
// with images whose first position holds no value; it must not be taken
// for the mark of a position no hyperedge holds, even where most
// hyperedges hold it.
TEST(TextGenerator, AVertexOfNoValueAgreesOnlyWithAPositionWithoutValue) {
  hn::SimpleSTLMapStorage store;
  const std::int32_t noValueAtZero = encodeImageVertex(0, -1);
  for (std::int32_t word = 0; word < 20; ++word) {
    store.setWeight(hn::testing::edge({word, noValueAtZero}), 1.0);
  }
  store.setWeight(hn::testing::edge({50, encodeImageVertex(0, 5)}), 0.5);
  const hn::TextGenerator generator(store, 1, 1);
  const hn::LiteralQueries literal(store);
  for (const std::int32_t first : {-1, 5, 7}) {
    ImageBuffer image;
    image.fill(3);
    image[0] = first;
    std::vector<ImageBuffer> images(65, image);
    std::vector<std::vector<Hyperedge>> fast(images.size());
    generator.generateAll(images, fast);
    std::vector<Hyperedge> one;
    generator.generate(image, one);
    std::vector<Hyperedge> defined;
    literal.generateText({1, 1}, image, defined);
    EXPECT_EQ(bitsOf(defined), bitsOf(one)) << "first value " << first;
    EXPECT_EQ(bitsOf(defined), bitsOf(fast.back())) << "first value " << first;
  }
}

}  // namespace

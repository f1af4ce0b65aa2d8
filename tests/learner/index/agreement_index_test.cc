#include "learner/index/agreement_index.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "learner/data/image.h"

namespace {

using hn::AgreementIndex;
using hn::encodeImageVertex;
using hn::ImageBuffer;

// A word (its sentence part) and two image vertices.
struct Stored {
  std::uint32_t part;
  std::pair<int, int> first;
  std::pair<int, int> second;
  double weight;
};

// The reference image is 0 at positions 0 to 3: most slots hold 0 there.
const std::vector<Stored> kPopulation = {
    {0, {0, 0}, {1, 0}, 1.0},  // on the reference, at two positions
    {0, {0, 0}, {2, 0}, 2.0},  // on the reference, at two positions
    {1, {1, 0}, {1, 0}, 0.5},  // one position, named twice
    {1, {2, 1}, {3, 0}, 4.0},  // off the reference at position 2
    {2, {3, 0}, {3, 0}, 1.0},
    {2, {0, 1}, {0, 2}, 8.0},  // two values for one position: never agrees
};
constexpr std::size_t kParts = 3;

struct Sums {
  std::vector<double> weight;
  std::vector<std::int64_t> count;
  bool operator==(const Sums&) const = default;
};

// Testing every hyperedge, as the definition does.
Sums sumByTesting(const ImageBuffer& image) {
  Sums sums{std::vector<double>(kParts, 0.0),
            std::vector<std::int64_t>(kParts, 0)};
  for (const Stored& stored : kPopulation) {
    const auto holds = [&image](std::pair<int, int> vertex) {
      return image[static_cast<std::size_t>(vertex.first)] == vertex.second;
    };
    if (!holds(stored.first) || !holds(stored.second)) continue;
    sums.weight[stored.part] += stored.weight;
    sums.count[stored.part] += 1;
  }
  return sums;
}

// The population as the arrays the index borrows, and the index.
struct Arrays {
  Arrays() {
    for (const Stored& stored : kPopulation) {
      vertices.push_back(static_cast<std::int32_t>(stored.part));
      for (const auto& [position, value] : {stored.first, stored.second}) {
        vertices.push_back(encodeImageVertex(position, value));
      }
      weights.push_back(stored.weight);
      partOf.push_back(stored.part);
    }
  }
  std::vector<std::int32_t> vertices;
  std::vector<double> weights;
  std::vector<std::uint32_t> partOf;
};

struct IndexedPopulation : Arrays {
  explicit IndexedPopulation(std::size_t cacheBudget)
      : index(vertices, weights, partOf, kParts, 1, 3, cacheBudget) {}
  const AgreementIndex index;
};

ImageBuffer imageWith(std::initializer_list<std::pair<int, int>> changes) {
  ImageBuffer image;
  image.fill(-1);
  for (int p = 0; p < 4; ++p) image[static_cast<std::size_t>(p)] = 0;
  for (const auto& [position, value] : changes) {
    image[static_cast<std::size_t>(position)] = value;
  }
  return image;
}

const struct {
  const char* what;
  ImageBuffer image;
  // The work the index estimates: positions that differ from the
  // reference (pairs of them, halved), the sums held at them and the
  // hyperedges off the reference that hold the image's values there.
  std::size_t cost;
} kImages[] = {
    {"the reference", imageWith({}), 0},
    {"one value off, where a hyperedge off the reference agrees",
     imageWith({{2, 1}}), 2},
    {"two values off, under one hyperedge", imageWith({{0, 5}, {2, 1}}), 5},
    {"every value off", imageWith({{0, 7}, {1, 7}, {2, 7}, {3, 7}}), 13},
};

// Within its budget the index sums what testing every hyperedge sums;
// past it, it declines and leaves the sums alone.
TEST(AgreementIndex, SumsWithinItsBudgetAndDeclinesPastIt) {
  const IndexedPopulation indexed(AgreementIndex::kDefaultCacheBudget);
  const AgreementIndex& index = indexed.index;
  for (const auto& c : kImages) {
    Sums sums{{-1.0}, {-1}};
    EXPECT_TRUE(index.trySumAgreeing(c.image, c.cost, sums.weight, sums.count))
        << c.what;
    EXPECT_EQ(sumByTesting(c.image), sums) << c.what;
    if (c.cost == 0) continue;
    Sums untouched{{-1.0}, {-1}};
    EXPECT_FALSE(index.trySumAgreeing(c.image, c.cost - 1, untouched.weight,
                                      untouched.count))
        << c.what;
    EXPECT_EQ((Sums{{-1.0}, {-1}}), untouched) << c.what;
  }
}

// Sums on the reference are kept for images that differ in the same
// places, up to the budget's bytes (a key of 4 bytes per differing position
// and 16 bytes per part); what does not fit is computed afresh each time.
TEST(AgreementIndex, KeepsSumsForReuseWithinItsCacheBudget) {
  const ImageBuffer oneOff = imageWith({{2, 1}});
  const ImageBuffer twoOff = imageWith({{0, 5}, {2, 1}});
  const std::size_t oneOffBytes = 4 + kParts * 16;
  const std::size_t twoOffBytes = 8 + kParts * 16;
  const struct {
    std::size_t budget;
    std::size_t kept;
  } cases[] = {
      {0, 0},
      {oneOffBytes - 1, 0},
      {oneOffBytes, oneOffBytes},
      {oneOffBytes + twoOffBytes, oneOffBytes + twoOffBytes},
  };
  for (const auto& c : cases) {
    const IndexedPopulation indexed(c.budget);
    const AgreementIndex& index = indexed.index;
    for (const ImageBuffer* image : {&oneOff, &oneOff, &twoOff, &twoOff}) {
      Sums sums;
      ASSERT_TRUE(index.trySumAgreeing(*image, 100, sums.weight, sums.count));
      EXPECT_EQ(sumByTesting(*image), sums) << "budget " << c.budget;
    }
    EXPECT_EQ(c.kept, index.cachedBytes()) << "budget " << c.budget;
  }
}

}  // namespace

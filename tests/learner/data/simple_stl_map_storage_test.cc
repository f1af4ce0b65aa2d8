#include "learner/data/simple_stl_map_storage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "learner/data/hyperedge_testing.h"

namespace {

using hn::Hyperedge;
using hn::SimpleSTLMapStorage;
using hn::testing::edge;
using hn::testing::entries;
using hn::testing::Entry;

TEST(StorageCounting, AddCountsOccurrencesIgnoringTheGivenWeight) {
  SimpleSTLMapStorage store;
  store.add(edge({1, 2}, 7.5));
  EXPECT_EQ(1.0, store.getWeight(edge({1, 2})));
  store.add(edge({1, 2}));
  store.add(edge({1, 2}));
  EXPECT_EQ(3.0, store.getWeight(edge({1, 2})));
  EXPECT_EQ(0, store.add(edge({3, 4})));
  EXPECT_EQ(2u, store.size());
}

TEST(StorageCounting, ReadsAndWritesInsertMissingHyperedges) {
  SimpleSTLMapStorage store;
  EXPECT_EQ(0.0, store.getWeight(edge({5, 5})));
  store.setWeight(edge({1, 1}), 2.5);
  EXPECT_EQ((std::vector<Entry>{{{1, 1}, 2.5}, {{5, 5}, 0.0}}),
            entries(store.getAll(false)));
}

TEST(StorageCounting, InitializeReadsOrderAndEmptiesTheStore) {
  SimpleSTLMapStorage store;
  store.add(edge({1, 2}));
  store.set("order", "5");
  store.initialize();
  EXPECT_EQ(5, store.order);
  EXPECT_TRUE(store.getAll(false).empty());
}

TEST(StorageListing, GetAllInVertexOrderOrRanked) {
  SimpleSTLMapStorage store;
  store.setWeight(edge({2, 2}), 5.0);
  store.setWeight(edge({1, 9}), 5.0);
  store.setWeight(edge({1, 1}), 3.0);
  EXPECT_EQ((std::vector<Entry>{{{1, 1}, 3.0}, {{1, 9}, 5.0}, {{2, 2}, 5.0}}),
            entries(store.getAll(false)));
  EXPECT_EQ((std::vector<Entry>{{{1, 9}, 5.0}, {{2, 2}, 5.0}, {{1, 1}, 3.0}}),
            entries(store.getAll(true)));
}

TEST(StorageMatching, RankedAndFilteredByVertexCount) {
  SimpleSTLMapStorage store;
  store.setWeight(edge({1, 2, 3}), 1.0);
  store.setWeight(edge({1, 5, 3}), 4.0);
  store.setWeight(edge({2, 5, 3}), 4.0);
  store.setWeight(edge({9, 9}), 8.0);
  EXPECT_EQ((std::vector<Entry>{
                {{1, 5, 3}, 4.0}, {{2, 5, 3}, 4.0}, {{1, 2, 3}, 1.0}}),
            entries(store.findMatching(edge({-1, -1, -1}))));
  EXPECT_EQ((std::vector<Entry>{{{1, 5, 3}, 4.0}, {{1, 2, 3}, 1.0}}),
            entries(store.findMatching(edge({1, -1, 3}))));
  EXPECT_TRUE(store.findMatching(edge({7, -1, -1})).empty());
  EXPECT_TRUE(SimpleSTLMapStorage().findMatching(edge({-1})).empty());
}

TEST(StorageMatching, StoredWildcardsMatchConcretePatternSlots) {
  SimpleSTLMapStorage store;
  store.setWeight(edge({-1, 4, 10}), 1.0);
  store.setWeight(edge({3, 4, 20}), 2.0);
  store.setWeight(edge({2, 4, 30}), 3.0);
  EXPECT_EQ((std::vector<Entry>{{{3, 4, 20}, 2.0}, {{-1, 4, 10}, 1.0}}),
            entries(store.findMatching(edge({3, 4, -1}))));
}

TEST(StorageMatching, MixedVertexCountsStillMatchExactly) {
  SimpleSTLMapStorage store;
  store.setWeight(edge({1, 2, 3}), 1.0);
  store.setWeight(edge({2, 2}), 1.0);
  EXPECT_EQ((std::vector<Entry>{{{2, 2}, 1.0}}),
            entries(store.findMatching(edge({2, -1}))));
}

// The prefix index must return exactly what the full scan returns, for
// patterns shaped like the learner's queries and for arbitrary ones.
TEST(StorageMatching, IndexAgreesWithTheFullScan) {
  std::mt19937 random(7);
  auto small = [&](int n) { return static_cast<std::int32_t>(random() % n); };
  for (bool withStoredWildcards : {false, true}) {
    SimpleSTLMapStorage store;
    for (int i = 0; i < 3000; ++i) {
      std::int32_t first = small(6);
      if (withStoredWildcards && i % 50 == 0) first = -1;
      store.setWeight(edge({first, small(6), small(6), small(40)}),
                      small(4) * 0.5);
    }
    for (int q = 0; q < 300; ++q) {
      Hyperedge pattern =
          edge({small(7) - 1, small(7) - 1, small(7) - 1, small(41) - 1});
      EXPECT_EQ(entries(store.scanMatching(pattern)),
                entries(store.viewMatching(pattern)))
          << "query " << q << " stored wildcards " << withStoredWildcards;
    }
  }
}

}  // namespace

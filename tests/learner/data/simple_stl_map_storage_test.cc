#include "learner/data/simple_stl_map_storage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "learner/data/hyperedge_testing.h"

namespace {

using hn::Hyperedge;
using hn::HyperedgeId;
using hn::HyperedgeView;
using hn::SimpleSTLMapStorage;
using hn::testing::edge;
using hn::testing::entries;
using hn::testing::Entry;
using Recorder = hn::testing::StoreRecorder;

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

std::vector<std::int32_t> verticesOf(const SimpleSTLMapStorage& store,
                                     HyperedgeId id) {
  return {store.vertices(id).begin(), store.vertices(id).end()};
}

// Every change reaches the observers, a read that inserts included; a
// lookup of a known hyperedge tells nothing.
TEST(StoreObservers, AreToldOfEveryChange) {
  SimpleSTLMapStorage store;
  Recorder recorder(store);
  store.add(edge({5, 5}));
  store.add(edge({5, 5}));
  EXPECT_EQ(0.0, store.getWeight(edge({1, 1})));
  EXPECT_EQ(2.0, store.getWeight(edge({5, 5})));
  store.setWeight(edge({1, 1}), -1.5);
  store.setWeight(edge({9, 9}), 4.0);
  store.initialize();
  EXPECT_EQ((std::vector<std::string>{
                "inserted 0 weighing 1.000000",
                "reweighted 0 from 1.000000 to 2.000000",
                "inserted 1 weighing 0.000000",
                "reweighted 1 from 0.000000 to -1.500000",
                "inserted 2 weighing 4.000000",
                "emptied",
            }),
            recorder.told);
}

TEST(StoreObservers, AnObserverThatLeftHearsNothing) {
  SimpleSTLMapStorage store;
  {
    Recorder gone(store);
    store.add(edge({1}));
  }
  Recorder staying(store);
  store.add(edge({2}));
  EXPECT_EQ((std::vector<std::string>{"inserted 1 weighing 1.000000"}),
            staying.told);
}

// Ids count insertions from 0 and start again when the store is emptied;
// each names its hyperedge for as long as the store holds it.
TEST(StorePopulation, IdsFollowInsertionAndServeVerticesAndWeights) {
  SimpleSTLMapStorage store;
  store.setWeight(edge({7, 1}), 0.5);
  store.add(edge({2, 3}));
  store.getWeight(edge({4, 4}));
  store.add(edge({7, 1}));
  ASSERT_EQ(3u, store.size());
  EXPECT_EQ((std::vector<std::int32_t>{7, 1}), verticesOf(store, 0));
  EXPECT_EQ(1.5, store.weight(0));
  EXPECT_EQ((std::vector<std::int32_t>{2, 3}), verticesOf(store, 1));
  EXPECT_EQ(0.0, store.weight(2));

  std::vector<HyperedgeId> inVertexOrder;
  store.forEachInVertexOrder([&](HyperedgeId id, const HyperedgeView& view) {
    EXPECT_EQ(
        verticesOf(store, id),
        std::vector<std::int32_t>(view.vertices.begin(), view.vertices.end()));
    EXPECT_EQ(store.weight(id), view.weight);
    inVertexOrder.push_back(id);
  });
  EXPECT_EQ((std::vector<HyperedgeId>{1, 2, 0}), inVertexOrder);

  store.initialize();
  store.add(edge({3, 3}));
  EXPECT_EQ(1u, store.size());
  EXPECT_EQ((std::vector<std::int32_t>{3, 3}), verticesOf(store, 0));
}

// A load replaces the population at once, ids in the order given, and
// tells its observers once; a hyperedge given twice keeps its last weight.
TEST(StorePopulation, ALoadReplacesThePopulationAndIsToldOnce) {
  SimpleSTLMapStorage store;
  store.add(edge({9, 9, 9}));
  Recorder recorder(store);
  const std::vector<std::pair<std::vector<std::int32_t>, double>> records = {
      {{1, 2}, 0.5},
      {{1, 3}, 2.0},
      {{4, 0}, -1.0},
      {{2, 2}, 3.0},
      {{1, 3}, 7.0}};
  std::size_t next = 0;
  store.load(2, records.size(), [&](std::span<std::int32_t> vertices) {
    std::copy(records[next].first.begin(), records[next].first.end(),
              vertices.begin());
    return records[next++].second;
  });
  EXPECT_EQ((std::vector<std::string>{"loaded 4"}), recorder.told);
  EXPECT_EQ("2", store.get("order"));
  EXPECT_EQ(2, store.order);
  EXPECT_EQ((std::vector<Entry>{
                {{1, 2}, 0.5}, {{1, 3}, 7.0}, {{2, 2}, 3.0}, {{4, 0}, -1.0}}),
            entries(store.getAll(false)));
  EXPECT_EQ((std::vector<std::int32_t>{4, 0}), verticesOf(store, 2));
  EXPECT_EQ(3.0, store.weight(3));
  // Later changes are told one by one again.
  store.add(edge({1, 2}));
  EXPECT_EQ("reweighted 0 from 0.500000 to 1.500000", recorder.told.back());
}

TEST(StorePopulation, AMovedStoreKeepsItsIdsButNotItsObservers) {
  SimpleSTLMapStorage store;
  store.add(edge({4, 4}));
  store.add(edge({1, 1}));
  Recorder recorder(store);
  SimpleSTLMapStorage moved(std::move(store));
  moved.add(edge({2, 2}));
  EXPECT_TRUE(recorder.told.empty());
  EXPECT_EQ((std::vector<std::int32_t>{1, 1}), verticesOf(moved, 1));
  EXPECT_EQ((std::vector<std::int32_t>{2, 2}), verticesOf(moved, 2));
}

}  // namespace

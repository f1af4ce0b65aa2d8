#include "learner/data/flat_storage.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "learner/data/hyperedge_testing.h"
#include "learner/data/simple_stl_map_storage.h"

namespace {

using hn::FlatStorage;
using hn::Hyperedge;
using hn::HyperedgeId;
using hn::HyperedgeView;
using hn::SimpleSTLMapStorage;
using hn::testing::bitsOf;
using hn::testing::edge;
using hn::testing::StoreRecorder;

// The population by id and in vertex order, weights as bits.
std::vector<std::string> byIdAndOrder(const hn::Population& store) {
  std::vector<std::string> lines;
  for (HyperedgeId id = 0; id < store.size(); ++id) {
    std::ostringstream line;
    line << id << ":";
    for (const std::int32_t v : store.vertices(id)) line << ' ' << v;
    line << " w" << std::bit_cast<std::uint64_t>(store.weight(id));
    lines.push_back(line.str());
  }
  store.forEachInVertexOrder([&](HyperedgeId id, HyperedgeView) {
    lines.push_back("order " + std::to_string(id));
  });
  return lines;
}

std::vector<Hyperedge> copies(const std::vector<HyperedgeView>& views) {
  std::vector<Hyperedge> result;
  for (const HyperedgeView& view : views) {
    Hyperedge& copy = result.emplace_back(
        static_cast<std::uint32_t>(view.vertices.size()), view.vertices.data());
    copy.weight = view.weight;
  }
  return result;
}

// How a random sequence of operations is drawn.
struct Workload {
  const char* name;
  std::int32_t values;  // vertex values drawn from -1 (the wildcard) on
  double wildcardShare;
  // The share of hyperedges of another length: they move the flat store's
  // population into the set.
  double otherLengthShare;
  int operations;
};

class Operations {
 public:
  Operations(const Workload& workload, unsigned seed)
      : workload(workload), random(seed) {}

  // Of `length` vertices, or now and then of another length unless
  // `exactLength`.
  Hyperedge hyperedge(std::uint32_t length, bool exactLength = false) {
    if (!exactLength && chance(workload.otherLengthShare)) length = pick(1, 5);
    Hyperedge h(length);
    for (std::uint32_t i = 0; i < length; ++i) {
      h.vertices[i] = chance(workload.wildcardShare)
                          ? hn::kWildcard
                          : pick(0, workload.values - 1);
    }
    return h;
  }

  double weight() {
    static const double kSpecial[] = {-0.0,
                                      0.0,
                                      1.0,
                                      0.1,
                                      -2.5,
                                      std::numeric_limits<double>::infinity(),
                                      std::numeric_limits<double>::quiet_NaN()};
    return kSpecial[pick(0, static_cast<int>(std::size(kSpecial)) - 1)];
  }

  bool chance(double share) {
    return std::uniform_real_distribution<double>(0, 1)(random) < share;
  }
  int pick(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  }

 private:
  const Workload& workload;
  std::mt19937 random;
};

// Every operation gives the flat store the answers, ids, orders and
// notifications of the set, also across stored wildcards, duplicate keys,
// special weights, loads and hyperedges of other lengths.
TEST(FlatStorage, AnswersAsTheSetDoesToRandomOperations) {
  const Workload workloads[] = {
      {"few values, many repeats", 3, 0.0, 0.0, 400},
      {"many values", 50, 0.0, 0.0, 400},
      {"stored wildcards", 4, 0.2, 0.0, 400},
      {"other lengths", 3, 0.1, 0.02, 400},
  };
  constexpr std::uint32_t kLength = 3;
  for (const Workload& workload : workloads) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
      Operations draw(workload, seed);
      SimpleSTLMapStorage set;
      FlatStorage flat;
      StoreRecorder setTold(set);
      StoreRecorder flatTold(flat);
      for (int step = 0; step < workload.operations; ++step) {
        const std::string where = std::string(workload.name) + ", seed " +
                                  std::to_string(seed) + ", step " +
                                  std::to_string(step);
        const Hyperedge h = draw.hyperedge(kLength);
        switch (draw.pick(0, 9)) {
          case 0:
          case 1:
          case 2:
            EXPECT_EQ(set.add(h), flat.add(h)) << where;
            break;
          case 3: {
            const double a = set.getWeight(h);
            const double b = flat.getWeight(h);
            EXPECT_EQ(std::bit_cast<std::uint64_t>(a),
                      std::bit_cast<std::uint64_t>(b))
                << where;
            break;
          }
          case 4:
          case 5: {
            const double w = draw.weight();
            set.setWeight(h, w);
            flat.setWeight(h, w);
            break;
          }
          case 6:
            EXPECT_EQ(bitsOf(set.findMatching(h)), bitsOf(flat.findMatching(h)))
                << where;
            EXPECT_EQ(bitsOf(copies(set.viewMatching(h))),
                      bitsOf(copies(flat.viewMatching(h))))
                << where;
            break;
          case 7:
            EXPECT_EQ(bitsOf(set.getAll(false)), bitsOf(flat.getAll(false)))
                << where;
            EXPECT_EQ(bitsOf(set.getAll(true)), bitsOf(flat.getAll(true)))
                << where;
            break;
          case 8:
            if (draw.chance(0.05)) {
              set.initialize();
              flat.initialize();
            }
            break;
          default:
            if (draw.chance(0.05)) {
              std::vector<Hyperedge> records;
              for (int i = draw.pick(0, 30); i > 0; --i) {
                // A load gives hyperedges of the length it names.
                records.push_back(draw.hyperedge(kLength, true));
                records.back().weight = draw.weight();
              }
              for (hn::HyperedgeStore* store :
                   {static_cast<hn::HyperedgeStore*>(&set),
                    static_cast<hn::HyperedgeStore*>(&flat)}) {
                std::size_t next = 0;
                store->load(kLength, records.size(),
                            [&](std::span<std::int32_t> vertices) {
                              const Hyperedge& r = records[next++];
                              std::copy_n(r.vertices, kLength,
                                          vertices.begin());
                              return r.weight;
                            });
              }
            }
            break;
        }
        ASSERT_EQ(byIdAndOrder(set), byIdAndOrder(flat)) << where;
      }
      EXPECT_EQ(setTold.told, flatTold.told) << workload.name << " " << seed;
    }
  }
}

// Enough hyperedges to fill several blocks and grow the table many times:
// each keeps its id, vertices and weight, and the vertex order holds them
// all, each once, ascending.
TEST(FlatStorage, KeepsEveryHyperedgeAcrossBlocksAndTableGrowth) {
  FlatStorage flat;
  constexpr std::int32_t kCount = 150'000;
  for (std::int32_t i = 0; i < kCount; ++i) {
    flat.setWeight(edge({i % 7, (i * 7919) % kCount, i}), 0.5 * i);
  }
  ASSERT_EQ(static_cast<std::size_t>(kCount), flat.size());
  for (std::int32_t i = 0; i < kCount; i += 997) {
    EXPECT_EQ(0.5 * i, flat.getWeight(edge({i % 7, (i * 7919) % kCount, i})));
    EXPECT_EQ(i, flat.vertices(static_cast<HyperedgeId>(i))[2]);
  }
  EXPECT_EQ(static_cast<std::size_t>(kCount), flat.size());
  std::vector<std::int32_t> previous;
  std::size_t visited = 0;
  flat.forEachInVertexOrder([&](HyperedgeId, HyperedgeView view) {
    const std::vector<std::int32_t> current(view.vertices.begin(),
                                            view.vertices.end());
    EXPECT_LT(previous, current);
    previous = current;
    ++visited;
  });
  EXPECT_EQ(static_cast<std::size_t>(kCount), visited);
  // Matching by a prefix reads its range of the order only.
  EXPECT_EQ(kCount / 7 + 1, static_cast<std::int32_t>(
                                flat.viewMatching(edge({0, -1, -1})).size()));
}

// A hyperedge of another length moves the population into the set, where
// a key that is a prefix of a stored one is the same key; `initialize`
// makes the store flat again.
TEST(FlatStorage, AnotherLengthMovesThePopulationIntoTheSetUntilEmptied) {
  FlatStorage flat;
  flat.add(edge({1, 2, 3}));
  flat.add(edge({4, 5, 6}));
  EXPECT_FALSE(flat.holdsMixedLengths());
  StoreRecorder told(flat);
  flat.add(edge({1, 2}));
  EXPECT_TRUE(flat.holdsMixedLengths());
  EXPECT_EQ(2u, flat.size());
  EXPECT_EQ(2.0, flat.getWeight(edge({1, 2, 3})));
  EXPECT_EQ(
      (std::vector<std::string>{"reweighted 0 from 1.000000 to 2.000000"}),
      told.told);
  flat.initialize();
  EXPECT_FALSE(flat.holdsMixedLengths());
  flat.add(edge({7, 7}));
  EXPECT_EQ(1u, flat.size());
  EXPECT_EQ("inserted 0 weighing 1.000000", told.told.back());
}

}  // namespace

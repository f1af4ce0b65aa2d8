#include "learner/model/model_file.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <vector>

#include "common/crc32.h"
#include "learner/data/hyperedge_testing.h"
#include "learner/data/simple_stl_map_storage.h"

namespace hn {
namespace {

using testing::edge;

constexpr ModelShape kShape{2, 1};
constexpr std::size_t kHeaderSize = 36;
constexpr std::size_t kRecordSize = 3 * 4 + 8;

// Weights that a decimal or rounded round trip would change.
SimpleSTLMapStorage population() {
  SimpleSTLMapStorage storage;
  storage.set("order", "3");
  storage.initialize();
  storage.setWeight(edge({1, 2, 30005}), 0.1);
  storage.setWeight(edge({1, 3, 10007}), -2.75);
  storage.setWeight(edge({4, 2, 0}), 0.0);
  storage.setWeight(edge({-7, 2, 20001}), -0.0);
  storage.setWeight(edge({9, 9, 9}), 1.0 / 3.0);
  storage.setWeight(edge({9, 9, 10}), 1e-310);
  storage.setWeight(edge({9, 9, 11}), std::numeric_limits<double>::quiet_NaN());
  return storage;
}

std::string modelBytes(const Storage& storage) {
  std::ostringstream out;
  writeModel(out, storage, kShape);
  return out.str();
}

struct Bits {
  std::vector<std::int32_t> vertices;
  std::uint64_t weight;
  bool operator==(const Bits&) const = default;
};

std::vector<Bits> bits(const Storage& storage) {
  std::vector<Bits> result;
  for (const Hyperedge& h : storage.getAll(false)) {
    result.push_back({{h.vertices, h.vertices + h.vertexCount},
                      std::bit_cast<std::uint64_t>(h.weight)});
  }
  return result;
}

void putU32(std::string& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFFu);
  }
}

// Recomputes both checksums, as a deliberately crafted file would.
void resign(std::string& bytes) {
  putU32(bytes, 32, crc32(bytes.data(), 32));
  putU32(bytes, bytes.size() - 4, crc32(bytes.data(), bytes.size() - 4));
}

TEST(ModelFile, LoadsBackEveryHyperedgeWithItsExactWeight) {
  const SimpleSTLMapStorage saved = population();
  const std::string bytes = modelBytes(saved);
  EXPECT_EQ(kHeaderSize + 7 * kRecordSize + 4, bytes.size());

  SimpleSTLMapStorage loaded;
  loaded.setWeight(edge({5, 5, 5}), 4.0);  // replaced, not merged
  std::string problem;
  const std::optional<ModelShape> shape = readModel(bytes, loaded, problem);
  ASSERT_TRUE(shape) << problem;
  EXPECT_EQ(2, shape->order);
  EXPECT_EQ(1, shape->order2);
  EXPECT_EQ(3, loaded.order);
  EXPECT_EQ(bits(saved), bits(loaded));
  EXPECT_EQ(bytes, modelBytes(loaded));
}

TEST(ModelFile, AnEmptyPopulationRoundTrips) {
  SimpleSTLMapStorage empty;
  const std::string bytes = modelBytes(empty);
  EXPECT_EQ(kHeaderSize + 4, bytes.size());
  SimpleSTLMapStorage loaded;
  std::string problem;
  ASSERT_TRUE(readModel(bytes, loaded, problem)) << problem;
  EXPECT_EQ(0u, loaded.size());
}

TEST(ModelFile, ReportsProgressWhileLoading) {
  std::vector<std::size_t> reports;
  SimpleSTLMapStorage loaded;
  std::string problem;
  readModel(modelBytes(population()), loaded, problem,
            [&](std::size_t done, std::size_t total) {
              EXPECT_EQ(7u, total);
              reports.push_back(done);
            });
  EXPECT_EQ(std::vector<std::size_t>{7}, reports);
}

struct Damage {
  const char* what;
  std::string (*damage)(std::string);
  const char* message;
};

std::string truncatedTo(std::string bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
}

std::string flipped(std::string bytes, std::size_t offset) {
  bytes[offset] = static_cast<char>(bytes[offset] ^ 0x10);
  return bytes;
}

const Damage kDamages[] = {
    {"empty", [](std::string) { return std::string(); }, "is empty"},
    {"truncated in the magic word",
     [](std::string b) { return truncatedTo(b, 5); }, "is truncated"},
    {"truncated in the header",
     [](std::string b) { return truncatedTo(b, 20); }, "is truncated"},
    {"truncated in the first hyperedge",
     [](std::string b) { return truncatedTo(b, kHeaderSize + 7); },
     "is truncated"},
    {"truncated in the checksum",
     [](std::string b) { return truncatedTo(b, b.size() - 1); },
     "is truncated"},
    {"a byte flipped in order", [](std::string b) { return flipped(b, 16); },
     "header checksum does not match"},
    {"a byte flipped in the count",
     [](std::string b) { return flipped(b, 24); },
     "header checksum does not match"},
    {"a byte flipped in a vertex",
     [](std::string b) { return flipped(b, kHeaderSize + kRecordSize + 1); },
     "checksum does not match its content"},
    {"a byte flipped in a weight",
     [](std::string b) { return flipped(b, kHeaderSize + 12 + 7); },
     "checksum does not match its content"},
    {"a byte flipped in the checksum",
     [](std::string b) { return flipped(b, b.size() - 2); },
     "checksum does not match its content"},
    {"wrong magic", [](std::string b) { return flipped(b, 0); },
     "is not a model file"},
    {"a data file", [](std::string) { return std::string("1,2,3\n4,5\n"); },
     "is not a model file"},
    {"future version",
     [](std::string b) {
       putU32(b, 8, 2);
       return b;
     },
     "has format version 2, newer than the version 1"},
    {"version 0",
     [](std::string b) {
       putU32(b, 8, 0);
       return b;
     },
     "has format version 0, not the version 1"},
    {"another kind",
     [](std::string b) {
       putU32(b, 12, 0);
       resign(b);
       return b;
     },
     "holds a model of kind 0"},
    {"bytes after the end", [](std::string b) { return b + "xyz"; },
     "3 bytes follow the end"},
    {"negative order",
     [](std::string b) {
       putU32(b, 16, static_cast<std::uint32_t>(-1));
       resign(b);
       return b;
     },
     "make no hyperedge"},
    {"a count beyond the file",
     [](std::string b) {
       putU32(b, 28, 0x40000000u);
       resign(b);
       return b;
     },
     "too few for its"},
    {"hyperedges out of order",
     [](std::string b) {
       std::swap_ranges(b.begin() + kHeaderSize,
                        b.begin() + kHeaderSize + kRecordSize,
                        b.begin() + kHeaderSize + kRecordSize);
       resign(b);
       return b;
     },
     "not in vertex order"},
};

TEST(ModelFile, RefusesEachKindOfDamageWithItsOwnMessage) {
  const std::string sound = modelBytes(population());
  for (const Damage& damage : kDamages) {
    SimpleSTLMapStorage storage;
    storage.setWeight(edge({5, 5, 5}), 4.0);
    std::string problem;
    EXPECT_FALSE(readModel(damage.damage(sound), storage, problem))
        << damage.what;
    EXPECT_NE(std::string::npos, problem.find(damage.message))
        << damage.what << ": " << problem;
    EXPECT_EQ(1u, storage.size()) << damage.what;
  }
}

TEST(ModelFile, TruncatedAnywhereIsRefused) {
  const std::string sound = modelBytes(population());
  for (std::size_t size = 0; size < sound.size(); ++size) {
    SimpleSTLMapStorage storage;
    std::string problem;
    EXPECT_FALSE(readModel(sound.substr(0, size), storage, problem)) << size;
  }
}

TEST(ModelFile, LoadModelNamesTheFile) {
  SimpleSTLMapStorage storage;
  std::string error;
  EXPECT_FALSE(loadModel("/nonexistent/model.bin", storage, error));
  EXPECT_EQ("hn_learner: cannot read the model file \"/nonexistent/model.bin\"",
            error);
}

TEST(ModelFile, SavesOnlyASoundShape) {
  SimpleSTLMapStorage storage;
  std::string error;
  EXPECT_FALSE(saveModel("unused.bin", storage, {0, 0}, error));
  EXPECT_NE(std::string::npos, error.find("order 0 and order2 0")) << error;
}

}  // namespace
}  // namespace hn

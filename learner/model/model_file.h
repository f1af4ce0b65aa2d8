#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace hn {

class Population;
class Storage;

// A trained population on disk, so that it can generate later for data it
// has not seen. Binary and little-endian:
//
//   magic "HNMODEL" and a zero byte; format version (u32); kind (u32: the
//   learner mode whose layout the hyperedges follow, 2 for sentence–image);
//   order (i32); order2 (i32); hyperedge count (u64); CRC-32 of the
//   preceding 32 bytes (u32); then per hyperedge, in vertex order,
//   order + order2 vertices (i32) and the weight's IEEE 754 bits (u64);
//   last, the CRC-32 of everything before it (u32).
//
// The weights are stored bit for bit, so a loaded population generates
// exactly what the saved one did.
inline constexpr std::uint32_t kModelFormatVersion = 1;
inline constexpr std::uint32_t kSentenceImageModelKind = 2;

// What a model says about the hyperedges it holds.
struct ModelShape {
  std::int32_t order = 0;
  std::int32_t order2 = 0;
};

// Told, now and then while loading, how many hyperedges are in the store.
using LoadProgress = std::function<void(std::size_t done, std::size_t total)>;

// Writes every hyperedge of `storage` with its weight.
void writeModel(std::ostream& out, const Storage& storage, ModelShape shape);

// Writes the model file through a temporary beside `path`, so `path` never
// holds a partial model. False, with the reason in `error`, on failure.
bool saveModel(const std::filesystem::path& path, const Storage& storage,
               ModelShape shape, std::string& error);

// Checks a whole model file's bytes and, only when all is sound, replaces
// the population of a store by the model's hyperedges in one load. On a
// damaged, truncated or foreign file returns nothing, leaves the store
// alone and says what is wrong in `problem` (a phrase that follows the
// file's name).
std::optional<ModelShape> readModel(std::string_view bytes,
                                    Population& population,
                                    std::string& problem,
                                    const LoadProgress& progress = {});

// A model file read whole and found sound, not yet in any store: a run
// that continues from it can refuse before anything is written, and load it
// later.
struct CheckedModel {
  std::string bytes;
  ModelShape shape;
};

// Reads and checks the file at `path` as `readModel` checks its bytes; on
// failure returns nothing, with a full sentence naming the file in `error`.
std::optional<CheckedModel> readModelFile(const std::filesystem::path& path,
                                          std::string& error);

// Replaces the population of a store by the hyperedges of a checked model.
void loadCheckedModel(const CheckedModel& model, Population& population,
                      const LoadProgress& progress = {});

// `readModelFile`, then `loadCheckedModel`; the store is left alone when
// the file is not sound.
std::optional<ModelShape> loadModel(const std::filesystem::path& path,
                                    Population& population, std::string& error,
                                    const LoadProgress& progress = {});

}  // namespace hn

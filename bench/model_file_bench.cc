// Saving and loading a population of 1,000,000 hyperedges of the sample
// run's kind (3 words and 3 image vertices each): the time to load the model
// file from disk, the file's size, and the heap the population occupies in
// the store, for comparison. Run `hn_model_file_bench`.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "learner/data/image.h"
#include "learner/data/simple_stl_map_storage.h"
#include "learner/model/model_file.h"

namespace {

namespace fs = std::filesystem;

constexpr hn::ModelShape kShape{3, 3};
constexpr std::size_t kHyperedges = 1000000;

std::size_t heapInUse() { return mallinfo2().uordblks; }

// Words from a 1000-word vocabulary, image vertices of an 80x60 image with
// values 0..3, weights that are sums of 0.1 as training makes them.
struct Population {
  Population() {
    std::mt19937 random(1);
    storage.set("order", "6");
    storage.initialize();
    const std::size_t heapBefore = heapInUse();
    hn::Hyperedge hyperedge(6);
    while (storage.size() < kHyperedges) {
      for (int slot = 0; slot < 3; ++slot) {
        hyperedge.vertices[slot] = static_cast<std::int32_t>(random() % 1000);
      }
      for (int slot = 3; slot < 6; ++slot) {
        hyperedge.vertices[slot] =
            hn::encodeImageVertex(static_cast<std::int32_t>(random() % 4800),
                                  static_cast<std::int32_t>(random() % 4));
      }
      storage.setWeight(hyperedge,
                        1.0 + 0.1 * static_cast<double>(random() % 50));
    }
    heapBytes = heapInUse() - heapBefore;
    file = fs::temp_directory_path() / "hn_model_file_bench.model";
    std::string error;
    if (!hn::saveModel(file, storage, kShape, error)) std::abort();
  }
  ~Population() { fs::remove(file); }

  hn::SimpleSTLMapStorage storage;
  std::size_t heapBytes = 0;
  fs::path file;
};

Population& population() {
  static Population shared;
  return shared;
}

void LoadMillionHyperedges(benchmark::State& state) {
  Population& saved = population();
  for (auto _ : state) {
    state.PauseTiming();
    auto loaded = std::make_unique<hn::SimpleSTLMapStorage>();
    state.ResumeTiming();
    std::string error;
    if (!hn::loadModel(saved.file, *loaded, error)) {
      state.SkipWithError(error.c_str());
      break;
    }
    state.PauseTiming();
    loaded.reset();  // freeing the store is not part of loading
    state.ResumeTiming();
  }
  const double fileBytes = static_cast<double>(fs::file_size(saved.file));
  state.counters["file_MB"] = fileBytes / 1e6;
  state.counters["store_heap_MB"] = static_cast<double>(saved.heapBytes) / 1e6;
  state.counters["file_per_heap"] =
      fileBytes / static_cast<double>(saved.heapBytes);
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(kHyperedges));
}
BENCHMARK(LoadMillionHyperedges)->Unit(benchmark::kMillisecond)->Iterations(3);

void SaveMillionHyperedges(benchmark::State& state) {
  Population& saved = population();
  const fs::path file = saved.file.string() + ".saved";
  for (auto _ : state) {
    std::string error;
    if (!hn::saveModel(file, saved.storage, kShape, error)) {
      state.SkipWithError(error.c_str());
      break;
    }
  }
  fs::remove(file);
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(kHyperedges));
}
BENCHMARK(SaveMillionHyperedges)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

// Speed of the learner's hot paths on synthetic caption–image data of the
// sample kind: loading, matching, image inference, text generation and
// whole training runs. Run `hn_bench`; the figures are printed per case.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "learner/data/bimodal_csv_file_wrapper.h"
#include "learner/data/sentence_image_coupling_sampler.h"
#include "learner/data/simple_stl_map_storage.h"
#include "learner/index/indexed_queries.h"
#include "learner/index/text_generator.h"
#include "learner/model/hypernetwork.h"
#include "tools/sample_data/sample_data_set.h"

namespace {

constexpr std::uint32_t kSeed = 1;

struct SampleFiles {
  std::string sentences;
  std::string images;
};

SampleFiles sampleFiles(std::uint32_t pairs) {
  const hn::SampleDataSet data(pairs, kSeed);
  std::ostringstream sentences;
  std::ostringstream images;
  data.writeSentences(sentences);
  data.writeImages(images);
  return {sentences.str(), images.str()};
}

void loadPairs(hn::BimodalCSVFileWrapper& dataSet, const SampleFiles& files) {
  dataSet.order = 3;
  std::istringstream sentences(files.sentences);
  std::istringstream images(files.images);
  dataSet.readPairs(sentences, images, "sentences.csv", "images.csv");
}

// Read from memory before the run, so the run's own `load` has nothing to do.
class PreloadedDataSet : public hn::BimodalCSVFileWrapper {
 public:
  void load() override {}
};

// A learner trained on `pairs` sample pairs with the sample run's settings
// (order 3, order2 6, 30 hyperedges per pair) for `epochs` epochs.
class TrainedLearner {
 public:
  TrainedLearner(std::uint32_t pairs, std::uint32_t epochs)
      : files(sampleFiles(pairs)) {
    std::srand(kSeed);
    learner.set("mode", "2");
    learner.set("order", "3");
    learner.set("order2", "6");
    learner.set("maxepoch", std::to_string(epochs));
    sampler.set("perLine", "30");
    dataSet.set("order", "3");
    dataSet.set("order2", "6");
    loadPairs(dataSet, files);
    learner.dataSet = &dataSet;
    learner.sampler = &sampler;
    learner.storage = &storage;
    learner.queries = &queries;
    learner.run();
  }

  SampleFiles files;
  PreloadedDataSet dataSet;
  hn::SentenceImageCouplingSampler sampler;
  hn::SimpleSTLMapStorage storage;
  hn::IndexedQueries queries{storage, 1};
  hn::Hypernetwork learner;
};

// Runs write result.txt: keep it out of the caller's folder.
void useScratchFolder() {
  static const std::filesystem::path folder = [] {
    auto path = std::filesystem::temp_directory_path() / "hn_bench";
    std::filesystem::create_directories(path);
    return path;
  }();
  std::filesystem::current_path(folder);
}

void BM_LoadPairs(benchmark::State& state) {
  const SampleFiles files =
      sampleFiles(static_cast<std::uint32_t>(state.range(0)));
  for (auto _ : state) {
    hn::BimodalCSVFileWrapper dataSet;
    dataSet.set("order2", "6");
    loadPairs(dataSet, files);
    benchmark::DoNotOptimize(dataSet.instances.valueBytes());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(
      state.iterations() * (files.sentences.size() + files.images.size())));
}
BENCHMARK(BM_LoadPairs)->Arg(1000)->Unit(benchmark::kMillisecond);

// The learner's query shape: three concrete words, six wildcard image slots.
std::vector<hn::Hyperedge> sentenceQueries(const hn::DataSet& dataSet) {
  std::vector<hn::Hyperedge> queries;
  for (std::size_t i = 0; i < dataSet.instances.size(); i += 2) {
    hn::Hyperedge query(9);
    std::fill_n(query.vertices, 9, hn::kWildcard);
    std::copy_n(dataSet.instances[i].begin(), 3, query.vertices);
    queries.push_back(query);
  }
  return queries;
}

template <bool kUseIndex>
void BM_FindMatching(benchmark::State& state) {
  useScratchFolder();
  const TrainedLearner trained(static_cast<std::uint32_t>(state.range(0)), 1);
  const std::vector<hn::Hyperedge> queries = sentenceQueries(trained.dataSet);
  std::size_t next = 0;
  for (auto _ : state) {
    const hn::Hyperedge& query = queries[next++ % queries.size()];
    auto matches = kUseIndex ? trained.storage.viewMatching(query)
                             : trained.storage.scanMatching(query);
    benchmark::DoNotOptimize(matches.data());
  }
  state.counters["stored"] = static_cast<double>(trained.storage.size());
}
BENCHMARK(BM_FindMatching<true>)->Name("BM_FindMatching/index")->Arg(1000);
BENCHMARK(BM_FindMatching<false>)->Name("BM_FindMatching/scan")->Arg(1000);

void BM_GenerateImage(benchmark::State& state) {
  useScratchFolder();
  const TrainedLearner trained(static_cast<std::uint32_t>(state.range(0)), 1);
  const auto& instances = trained.dataSet.instances;
  std::size_t pair = 0;
  hn::ImageBuffer image;
  for (auto _ : state) {
    image.fill(-1);
    trained.learner.generateImage(
        instances[2 * (pair++ % (instances.size() / 2))].values(), image);
    benchmark::DoNotOptimize(image.data());
  }
}
BENCHMARK(BM_GenerateImage)->Arg(200)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_GenerateText(benchmark::State& state) {
  useScratchFolder();
  const TrainedLearner trained(static_cast<std::uint32_t>(state.range(0)), 1);
  const hn::TextGenerator generator(trained.storage, 3, 6);
  const auto& instances = trained.dataSet.instances;
  std::size_t pair = 0;
  hn::ImageBuffer image;
  for (auto _ : state) {
    const auto source = instances[2 * (pair++ % (instances.size() / 2)) + 1];
    image.fill(-1);
    std::copy(source.begin(), source.end(), image.begin());
    std::vector<hn::Hyperedge> fragments;
    generator.generate(image, fragments);
    benchmark::DoNotOptimize(fragments.data());
  }
}
BENCHMARK(BM_GenerateText)->Arg(200)->Arg(1000)->Unit(benchmark::kMicrosecond);

// A whole training run: loading, sampling and `maxepoch` - 1 weight updates
// (accuracy is not evaluated: verbose is off).
void BM_TrainingRun(benchmark::State& state) {
  useScratchFolder();
  const auto pairs = static_cast<std::uint32_t>(state.range(0));
  const auto epochs = static_cast<std::uint32_t>(state.range(1));
  std::size_t stored = 0;
  for (auto _ : state) {
    const TrainedLearner trained(pairs, epochs);
    stored = trained.storage.size();
  }
  state.counters["stored"] = static_cast<double>(stored);
}
BENCHMARK(BM_TrainingRun)
    ->Args({200, 3})
    ->Args({1000, 3})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

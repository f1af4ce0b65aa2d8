// How the learner's cost grows with the data: trains on sample caption-image
// sets of growing size (order 3, order2 3, 20 hyperedges per pair, 3 epochs,
// weight-update parameter 0.5, as the sample run script says) and prints per
// size the wall time of every phase, the peak memory and the bytes per pair
// and per stored hyperedge; then the log-log slope of the total time. First
// it runs the literal path (full scans, linear searches) and the indexed
// path side by side on small sets and prints the ratio.
//
//   hn_scaling_bench [--sizes 1000,2000,...] [--literal-sizes 250,500,1000]
//                    [--threads N]
//
// Each size runs in a child process of its own, so that its peak memory is
// its own. The data files are written to a temporary folder first; the
// load phase parses them like hn_learner does.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

#include "learner/data/bimodal_csv_file_wrapper.h"
#include "learner/data/sentence_image_coupling_sampler.h"
#include "learner/data/simple_stl_map_storage.h"
#include "learner/driver/generation_output.h"
#include "learner/index/indexed_queries.h"
#include "learner/model/hypernetwork.h"
#include "learner/model/literal_queries.h"
#include "tools/sample_data/sample_data_set.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr unsigned kSeed = 1;
constexpr int kEpochs = 3;

// Takes hn_learner's output and throws it away, so generation is timed with
// its formatting but without the disk.
class DiscardingBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double residentBytes() {
  std::ifstream statm("/proc/self/statm");
  double pages = 0;
  double resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<double>(sysconf(_SC_PAGESIZE));
}

struct Figures {
  std::vector<double> phases;  // load, sampling, epochs..., text->image,
                               // image->text
  double hyperedges = 0;
  double dataBytes = 0;
  double storeBytes = 0;
};

// One learning run, phase by phase, as hn_learner's training loop does it,
// then generation in both directions.
Figures learn(const fs::path& folder, bool literal, unsigned threads) {
  Figures figures;
  const double startBytes = residentBytes();
  hn::BimodalCSVFileWrapper dataSet;
  hn::SentenceImageCouplingSampler sampler;
  hn::SimpleSTLMapStorage storage;
  std::unique_ptr<hn::Queries> queries;
  if (literal) {
    queries = std::make_unique<hn::LiteralQueries>(storage, threads);
  } else {
    queries = std::make_unique<hn::IndexedQueries>(storage, threads);
  }
  hn::Hypernetwork learner;
  std::srand(kSeed);
  learner.set("mode", "2");
  learner.set("order", "3");
  learner.set("order2", "3");
  learner.set("maxepoch", std::to_string(kEpochs));
  learner.set("weightUpdateParameter", "0.5");
  learner.readParameters();
  learner.queries = queries.get();
  learner.sampler = &sampler;
  learner.storage = &storage;
  learner.dataSet = &dataSet;

  auto start = Clock::now();
  dataSet.set("filename", (folder / "sentences.csv").string() + "," +
                              (folder / "images.csv").string());
  dataSet.set("order", "3");
  dataSet.set("order2", "3");
  dataSet.load();
  figures.phases.push_back(secondsSince(start));
  figures.dataBytes = residentBytes() - startBytes;

  start = Clock::now();
  sampler.set("order", "3");
  sampler.set("order2", "3");
  sampler.set("perLine", "20");
  sampler.dataSet = &dataSet;
  sampler.initialize();
  storage.set("order", "6");
  storage.initialize();
  hn::Hyperedge scratch(6);
  while (sampler.hasNext()) {
    sampler.next(scratch);
    storage.add(scratch);
  }
  figures.phases.push_back(secondsSince(start));

  double checksum = 0;
  for (int epoch = 1; epoch <= kEpochs; ++epoch) {
    start = Clock::now();
    if (epoch > 1) learner.updateImageWeights();
    checksum += learner.imageAccuracy();
    figures.phases.push_back(secondsSince(start));
  }
  figures.hyperedges = static_cast<double>(storage.size());
  figures.storeBytes = residentBytes() - startBytes - figures.dataBytes;

  DiscardingBuffer discard;
  std::ostream out(&discard);
  start = Clock::now();
  hn::writeGeneratedImages(out, *queries, learner.layout(), dataSet.instances,
                           threads);
  figures.phases.push_back(secondsSince(start));
  start = Clock::now();
  hn::writeGeneratedTexts(out, *queries, learner.layout(), dataSet.instances,
                          threads);
  figures.phases.push_back(secondsSince(start));
  if (std::isnan(checksum)) std::cerr << "no pairs\n";
  return figures;
}

void writeSampleFiles(const fs::path& folder, std::uint32_t pairs) {
  fs::create_directories(folder);
  const hn::SampleDataSet data(pairs, kSeed);
  std::ofstream sentences(folder / "sentences.csv");
  data.writeSentences(sentences);
  std::ofstream images(folder / "images.csv");
  data.writeImages(images);
}

// Runs `learn` in a child process; returns its figures and peak memory.
Figures learnInChild(const fs::path& folder, bool literal, unsigned threads,
                     double& peakBytes) {
  int channel[2];
  if (pipe(channel) != 0) std::exit(1);
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    const Figures figures = learn(folder, literal, threads);
    std::ostringstream text;
    text.precision(17);
    text << figures.hyperedges << ' ' << figures.dataBytes << ' '
         << figures.storeBytes;
    for (const double phase : figures.phases) text << ' ' << phase;
    const std::string message = text.str();
    if (write(channel[1], message.data(), message.size()) < 0) _exit(1);
    _exit(0);
  }
  close(channel[1]);
  std::string message;
  char buffer[4096];
  for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;) {
    message.append(buffer, static_cast<std::size_t>(n));
  }
  close(channel[0]);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  peakBytes = static_cast<double>(usage.ru_maxrss) * 1024.0;
  Figures figures;
  std::istringstream text(message);
  text >> figures.hyperedges >> figures.dataBytes >> figures.storeBytes;
  for (double phase; text >> phase;) figures.phases.push_back(phase);
  return figures;
}

double total(const std::vector<double>& phases, bool imageToText) {
  double sum = 0;
  for (std::size_t i = 0; i + 2 < phases.size(); ++i) sum += phases[i];
  return sum + phases[phases.size() - (imageToText ? 1 : 2)];
}

std::vector<std::uint32_t> parseSizes(const std::string& text) {
  std::vector<std::uint32_t> sizes;
  std::istringstream in(text);
  for (std::string size; std::getline(in, size, ',');) {
    sizes.push_back(static_cast<std::uint32_t>(std::stoul(size)));
  }
  return sizes;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::uint32_t> sizes = {1000,  2000,  4000, 8000,
                                      16000, 32000, 64000};
  std::vector<std::uint32_t> literalSizes = {250, 500, 1000};
  unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--sizes") sizes = parseSizes(argv[i + 1]);
    if (option == "--literal-sizes") literalSizes = parseSizes(argv[i + 1]);
    if (option == "--threads")
      threads = static_cast<unsigned>(std::stoul(argv[i + 1]));
  }
  const fs::path root = fs::temp_directory_path() /
                        ("hn_scaling_bench_" + std::to_string(getpid()));
  std::printf(
      "threads: %u; sample data, order 3, order2 3, 20 hyperedges per "
      "pair, %d epochs\n\n",
      threads, kEpochs);

  if (!literalSizes.empty()) {
    std::printf(
        "literal path against indexed path (whole run, both "
        "directions' generation)\n");
    std::printf("%8s %12s %12s %8s\n", "pairs", "literal s", "indexed s",
                "ratio");
  }
  for (const std::uint32_t pairs : literalSizes) {
    const fs::path folder = root / std::to_string(pairs);
    writeSampleFiles(folder, pairs);
    double peak = 0;
    const Figures slow = learnInChild(folder, true, 1, peak);
    const Figures fast = learnInChild(folder, false, 1, peak);
    double slowTotal = 0;
    double fastTotal = 0;
    for (const double phase : slow.phases) slowTotal += phase;
    for (const double phase : fast.phases) fastTotal += phase;
    std::printf("%8u %12.2f %12.3f %7.0fx\n", pairs, slowTotal, fastTotal,
                slowTotal / fastTotal);
    std::fflush(stdout);
    fs::remove_all(folder);
  }

  std::printf("\nindexed path, seconds per phase\n");
  std::printf("%7s %6s %7s %7s %7s %7s %7s %7s %8s %8s %7s %6s %6s\n", "pairs",
              "load", "sample", "epoch1", "epoch2", "epoch3", "txt2img",
              "img2txt", "total i2t", "total t2i", "peak MB", "B/pair",
              "B/edge");
  std::vector<double> imageToText;
  std::vector<double> textToImage;
  for (const std::uint32_t pairs : sizes) {
    const fs::path folder = root / std::to_string(pairs);
    writeSampleFiles(folder, pairs);
    double peak = 0;
    const Figures run = learnInChild(folder, false, threads, peak);
    fs::remove_all(folder);
    if (run.phases.size() != 2 + kEpochs + 2) {
      std::printf("%7u failed\n", pairs);
      continue;
    }
    imageToText.push_back(total(run.phases, true));
    textToImage.push_back(total(run.phases, false));
    std::printf("%7u", pairs);
    for (const double phase : run.phases) std::printf(" %7.2f", phase);
    std::printf(" %8.2f %8.2f %7.0f %6.0f %6.0f\n", imageToText.back(),
                textToImage.back(), peak / 1e6, run.dataBytes / pairs,
                run.storeBytes / run.hyperedges);
    std::fflush(stdout);
  }
  fs::remove_all(root);

  // The slope between the last size and the one a quarter of it (16,000
  // and 64,000 by default): 1 is linear, 2 quadratic.
  const std::size_t last = sizes.size() - 1;
  if (sizes.size() >= 3 && imageToText.size() == sizes.size()) {
    const double span = std::log(double(sizes[last]) / sizes[last - 2]);
    std::printf(
        "\nlog-log slope %u to %u pairs: image to text %.2f, text to "
        "image %.2f\n",
        sizes[last - 2], sizes[last],
        std::log(imageToText[last] / imageToText[last - 2]) / span,
        std::log(textToImage[last] / textToImage[last - 2]) / span);
  }
  return 0;
}

// How the learner's cost grows with the data: trains on sample caption-image
// sets of growing size (order 3, order2 3, 20 hyperedges per pair, 3 epochs,
// as the sample run script says), of each sample kind and with each
// weight-update parameter, and prints per size the wall time of every
// phase, the peak memory and the bytes per pair and per stored hyperedge,
// and how often the indexed sums left an answer undecided so that it was
// added up again in the defined order (image positions, text fragments);
// and the share of the stored hyperedges that image-to-text generation
// tested per image; then the log-log slope of the total time. First it runs
// the literal path (full scans, linear searches) and the indexed path side
// by side on small sets and prints the ratio; last, per kind, image-to-text
// generation alone through the indexes against testing every hyperedge.
//
//   hn_scaling_bench [--sizes 1000,2000,...] [--literal-sizes 250,500,1000]
//                    [--parameters 0.5,0.1,0.3] [--literal-parameters 0.5,0.1]
//                    [--kinds scenes,shapes] [--scan-sizes 8000] [--threads N]
//                    [--in-process]
//
// --kinds also takes photos, whose every image has a background of its own;
// it is left out by default only to keep the default run short.
//
// Each size runs in a child process of its own, so that its peak memory is
// its own. The data files are written to a temporary folder first; the
// load phase parses them like hn_learner does. With --in-process no file is
// written or read: the child generates its pairs itself, straight into the
// data set's packed values, and the load phase times that generation. So a
// million scenes pairs need no disk (their image file alone would take
// about 9.6 GB) and their images take memory once, a byte a value.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "learner/data/bimodal_csv_file_wrapper.h"
#include "learner/data/hyperedge_store.h"
#include "learner/data/in_memory_data_set.h"
#include "learner/data/sentence_image_coupling_sampler.h"
#include "learner/driver/generation_output.h"
#include "learner/driver/query_engine.h"
#include "learner/index/indexed_queries.h"
#include "learner/index/text_generator.h"
#include "learner/model/hypernetwork.h"
#include "learner/model/literal_queries.h"
#include "tools/sample_data/sample_data_set.h"
#include "tools/sample_data/sample_kind.h"

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
  // The indexed engine's fallback counts over the whole run.
  double positions = 0;
  double positionsRecomputed = 0;
  double fragments = 0;
  double fragmentsRecomputed = 0;
  // How image-to-text generation found the agreeing hyperedges: images
  // generated, the hyperedges tested for them (through postings or by
  // testing all), and with `compareScan` the seconds generation alone took
  // through the engine's snapshot and by testing every hyperedge.
  double images = 0;
  double hyperedgesTested = 0;
  double generationSeconds = 0;
  double scanSeconds = 0;
};

// One run's settings.
struct Setting {
  hn::SampleKind kind;
  std::string parameter;
  bool compareScan = false;
};

// Generates text for every image of `instances` through `generator` on
// `threads` threads, 64 images at a time as hn_learner hands them over;
// returns the seconds it took.
double timeTextGeneration(const hn::TextGenerator& generator,
                          const hn::InstanceList& instances, unsigned threads) {
  constexpr std::size_t kImagesPerCall = 64;
  const std::size_t pairs = instances.size() / 2;
  std::atomic<std::size_t> next{0};
  const auto start = Clock::now();
  std::vector<std::thread> workers;
  for (unsigned t = 0; t < threads; ++t) {
    workers.emplace_back([&] {
      for (std::size_t first;
           (first = next.fetch_add(kImagesPerCall)) < pairs;) {
        const std::size_t count = std::min(kImagesPerCall, pairs - first);
        std::vector<hn::ImageBuffer> images;
        for (std::size_t pair = first; pair < first + count; ++pair) {
          images.push_back(hn::imageBufferOf(instances[2 * pair + 1]));
        }
        std::vector<std::vector<hn::Hyperedge>> fragments(count);
        generator.generateAll(images, fragments);
      }
    });
  }
  for (std::thread& worker : workers) worker.join();
  return secondsSince(start);
}

void writeSampleFiles(const fs::path& folder, std::uint32_t pairs,
                      hn::SampleKind kind) {
  fs::create_directories(folder);
  const hn::SampleDataSet data(pairs, kSeed, kind);
  std::ofstream sentences(folder / "sentences.csv");
  data.writeSentences(sentences);
  std::ofstream images(folder / "images.csv");
  data.writeImages(images);
}

// Where every size's pairs come from: sample files in a folder under
// `root`, or, in process, the child that learns from them.
struct DataOrigin {
  fs::path root;
  bool inProcess = false;
};

// The pairs of one size for the children that learn from them. Sample files
// are written when the source is made and removed with it; pairs generated
// in process exist only in each child's data set.
class SampleSource {
 public:
  SampleSource(const DataOrigin& origin, std::uint32_t pairs,
               hn::SampleKind kind)
      : pairs(pairs),
        kind(kind),
        folder(origin.inProcess ? fs::path()
                                : origin.root / std::to_string(pairs)) {
    if (!folder.empty()) writeSampleFiles(folder, pairs, kind);
  }
  ~SampleSource() {
    std::error_code ignored;
    if (!folder.empty()) fs::remove_all(folder, ignored);
  }
  SampleSource(const SampleSource&) = delete;
  SampleSource& operator=(const SampleSource&) = delete;

  // The pairs as hn_learner loads them with order 3 and order2 3.
  std::unique_ptr<hn::DataSet> load() const {
    std::unique_ptr<hn::DataSet> dataSet;
    if (folder.empty()) {
      hn::InstanceList rows;
      // The scenes, drawn up front, go with the temporary before learning
      // starts; the values stay only in the data set, which takes the rows
      // over.
      hn::SampleDataSet(pairs, kSeed, kind).appendPairs(rows);
      dataSet = std::make_unique<hn::InMemoryDataSet>(std::move(rows));
    } else {
      dataSet = std::make_unique<hn::BimodalCSVFileWrapper>();
      dataSet->set("filename", (folder / "sentences.csv").string() + "," +
                                   (folder / "images.csv").string());
    }
    dataSet->set("order", "3");
    dataSet->set("order2", "3");
    dataSet->load();
    return dataSet;
  }

 private:
  std::uint32_t pairs;
  hn::SampleKind kind;
  fs::path folder;  // empty when the pairs are generated in process
};

// One learning run, phase by phase, as hn_learner's training loop does it,
// then generation in both directions.
Figures learn(const SampleSource& source, const Setting& setting, bool literal,
              unsigned threads) {
  Figures figures;
  const double startBytes = residentBytes();
  hn::SentenceImageCouplingSampler sampler;
  // The store a run of hn_learner makes, with --literal or without.
  const std::unique_ptr<hn::HyperedgeStore> store = hn::makeStore(literal);
  hn::HyperedgeStore& storage = *store;
  std::unique_ptr<hn::Queries> queries;
  hn::IndexedQueries* indexed = nullptr;
  if (literal) {
    queries = std::make_unique<hn::LiteralQueries>(storage, threads);
  } else {
    auto engine = std::make_unique<hn::IndexedQueries>(storage, threads);
    indexed = engine.get();
    queries = std::move(engine);
  }
  hn::Hypernetwork learner;
  std::srand(kSeed);
  learner.set("mode", "2");
  learner.set("order", "3");
  learner.set("order2", "3");
  learner.set("maxepoch", std::to_string(kEpochs));
  learner.set("weightUpdateParameter", setting.parameter);
  learner.readParameters();
  learner.queries = queries.get();
  learner.sampler = &sampler;
  learner.storage = &storage;

  auto start = Clock::now();
  const std::unique_ptr<hn::DataSet> loaded = source.load();
  hn::DataSet& dataSet = *loaded;
  learner.dataSet = &dataSet;
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
                           threads, hn::OutputFlushing::kEveryLine);
  figures.phases.push_back(secondsSince(start));
  start = Clock::now();
  hn::writeGeneratedTexts(out, *queries, learner.layout(), dataSet.instances,
                          threads, hn::OutputFlushing::kEveryLine);
  figures.phases.push_back(secondsSince(start));
  if (std::isnan(checksum)) std::cerr << "no pairs\n";
  if (indexed != nullptr) {
    const hn::FallbackCounts& counts = indexed->fallbackCounts();
    figures.positions = static_cast<double>(counts.positions.load());
    figures.positionsRecomputed =
        static_cast<double>(counts.positionsRecomputed.load());
    figures.fragments = static_cast<double>(counts.fragments.load());
    figures.fragmentsRecomputed =
        static_cast<double>(counts.fragmentsRecomputed.load());
    figures.images = static_cast<double>(counts.images.load());
    figures.hyperedgesTested =
        static_cast<double>(counts.hyperedgesTested.load());
  }
  if (setting.compareScan) {
    const hn::TextGenerator indexedText(storage, 3, 3, true);
    figures.generationSeconds =
        timeTextGeneration(indexedText, dataSet.instances, threads);
    const hn::TextGenerator scanningText(storage, 3, 3, false);
    figures.scanSeconds =
        timeTextGeneration(scanningText, dataSet.instances, threads);
  }
  return figures;
}

// Runs `learn` in a child process; returns its figures and peak memory.
Figures learnInChild(const SampleSource& source, const Setting& setting,
                     bool literal, unsigned threads, double& peakBytes) {
  int channel[2];
  if (pipe(channel) != 0) std::exit(1);
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    const Figures figures = learn(source, setting, literal, threads);
    std::ostringstream text;
    text.precision(17);
    text << figures.hyperedges << ' ' << figures.dataBytes << ' '
         << figures.storeBytes << ' ' << figures.positions << ' '
         << figures.positionsRecomputed << ' ' << figures.fragments << ' '
         << figures.fragmentsRecomputed << ' ' << figures.images << ' '
         << figures.hyperedgesTested << ' ' << figures.generationSeconds << ' '
         << figures.scanSeconds;
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
  text >> figures.hyperedges >> figures.dataBytes >> figures.storeBytes >>
      figures.positions >> figures.positionsRecomputed >> figures.fragments >>
      figures.fragmentsRecomputed >> figures.images >>
      figures.hyperedgesTested >> figures.generationSeconds >>
      figures.scanSeconds;
  for (double phase; text >> phase;) figures.phases.push_back(phase);
  return figures;
}

double total(const std::vector<double>& phases, bool imageToText) {
  double sum = 0;
  for (std::size_t i = 0; i + 2 < phases.size(); ++i) sum += phases[i];
  return sum + phases[phases.size() - (imageToText ? 1 : 2)];
}

std::vector<std::string> parseList(const std::string& text) {
  std::vector<std::string> items;
  std::istringstream in(text);
  for (std::string item; std::getline(in, item, ',');) items.push_back(item);
  return items;
}

// A whole number from 1 up, all of `text`: "1e6" or "64k" must not run
// as 1 or 64 pairs.
std::optional<std::uint32_t> parseCount(const std::string& text) {
  std::uint32_t count = 0;
  const char* const end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, count);
  if (error != std::errc() || stop != end || count == 0) return std::nullopt;
  return count;
}

std::optional<std::vector<std::uint32_t>> parseSizes(const std::string& text) {
  std::vector<std::uint32_t> sizes;
  for (const std::string& size : parseList(text)) {
    const std::optional<std::uint32_t> count = parseCount(size);
    if (!count) return std::nullopt;
    sizes.push_back(*count);
  }
  return sizes;
}

// A share in percent, "-" when there was nothing to share.
std::string percent(double part, double whole) {
  if (whole == 0) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.3f%%", 100.0 * part / whole);
  return text;
}

// The table of one kind and parameter, size by size; returns the totals
// of the largest size (image to text, text to image), 0 when it failed.
std::pair<double, double> runTable(const DataOrigin& origin,
                                   const std::vector<std::uint32_t>& sizes,
                                   const Setting& setting, unsigned threads) {
  std::printf(
      "\nindexed path, %s, weight-update parameter %s, seconds per "
      "phase\n",
      std::string(hn::sampleKindName(setting.kind)).c_str(),
      setting.parameter.c_str());
  std::printf(
      "%7s %6s %7s %7s %7s %7s %7s %7s %8s %8s %7s %6s %6s %9s %9s %9s\n",
      "pairs", "load", "sample", "epoch1", "epoch2", "epoch3", "txt2img",
      "img2txt", "total i2t", "total t2i", "peak MB", "B/pair", "B/edge",
      "pos redo", "frag redo", "tested");
  std::vector<double> imageToText;
  std::vector<double> textToImage;
  for (const std::uint32_t pairs : sizes) {
    const SampleSource source(origin, pairs, setting.kind);
    double peak = 0;
    const Figures run = learnInChild(source, setting, false, threads, peak);
    if (run.phases.size() != 2 + kEpochs + 2) {
      std::printf("%7u failed\n", pairs);
      continue;
    }
    imageToText.push_back(total(run.phases, true));
    textToImage.push_back(total(run.phases, false));
    std::printf("%7u", pairs);
    for (const double phase : run.phases) std::printf(" %7.2f", phase);
    std::printf(
        " %8.2f %8.2f %7.0f %6.0f %6.0f %9s %9s %9s\n", imageToText.back(),
        textToImage.back(), peak / 1e6, run.dataBytes / pairs,
        run.storeBytes / run.hyperedges,
        percent(run.positionsRecomputed, run.positions).c_str(),
        percent(run.fragmentsRecomputed, run.fragments).c_str(),
        percent(run.hyperedgesTested, run.images * run.hyperedges).c_str());
    std::fflush(stdout);
  }
  // The slope between the last size and the one a quarter of it (16,000
  // and 64,000 by default): 1 is linear, 2 quadratic.
  const std::size_t last = sizes.size() - 1;
  if (sizes.size() >= 3 && imageToText.size() == sizes.size()) {
    const double span = std::log(double(sizes[last]) / sizes[last - 2]);
    std::printf(
        "log-log slope %u to %u pairs: image to text %.2f, text to "
        "image %.2f\n",
        sizes[last - 2], sizes[last],
        std::log(imageToText[last] / imageToText[last - 2]) / span,
        std::log(textToImage[last] / textToImage[last - 2]) / span);
  }
  if (imageToText.size() != sizes.size() || sizes.empty()) return {0, 0};
  return {imageToText.back(), textToImage.back()};
}

// Image-to-text generation alone, through the engine's snapshot (index and
// postings) and by testing every hyperedge, side by side after one
// training run per size.
void compareWithScan(const DataOrigin& origin,
                     const std::vector<std::uint32_t>& sizes,
                     hn::SampleKind kind, unsigned threads) {
  std::printf(
      "\nimage-to-text generation, %s, parameter 0.5: indexed against "
      "testing every hyperedge\n",
      std::string(hn::sampleKindName(kind)).c_str());
  std::printf("%7s %11s %10s %8s %16s\n", "pairs", "indexed s", "scan s",
              "ratio", "tested per image");
  for (const std::uint32_t pairs : sizes) {
    const SampleSource source(origin, pairs, kind);
    double peak = 0;
    const Figures run =
        learnInChild(source, {kind, "0.5", true}, false, threads, peak);
    if (run.scanSeconds == 0) {
      std::printf("%7u failed\n", pairs);
      continue;
    }
    std::printf(
        "%7u %11.2f %10.2f %7.1fx %16s\n", pairs, run.generationSeconds,
        run.scanSeconds, run.scanSeconds / run.generationSeconds,
        percent(run.hyperedgesTested, run.images * run.hyperedges).c_str());
    std::fflush(stdout);
  }
}

constexpr char kUsage[] =
    "usage: hn_scaling_bench [--sizes 1000,2000,...] "
    "[--literal-sizes 250,500,1000]\n"
    "                        [--parameters 0.5,0.1,0.3] "
    "[--literal-parameters 0.5,0.1]\n"
    "                        [--kinds scenes,shapes] [--scan-sizes 8000] "
    "[--threads N]\n"
    "                        [--in-process]\n";

struct Options {
  std::vector<std::uint32_t> sizes = {1000,  2000,  4000, 8000,
                                      16000, 32000, 64000};
  std::vector<std::uint32_t> literalSizes = {250, 500, 1000};
  std::vector<std::string> parameters = {"0.5", "0.1", "0.3"};
  std::vector<std::string> literalParameters = {"0.5", "0.1"};
  std::vector<std::uint32_t> scanSizes = {8000};
  std::vector<hn::SampleKind> kinds = {hn::SampleKind::kScenes,
                                       hn::SampleKind::kShapes};
  unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  bool inProcess = false;
};

bool readSizes(const std::string& option, const std::string& value,
               std::vector<std::uint32_t>& sizes) {
  const auto parsed = parseSizes(value);
  if (!parsed) {
    std::cerr << "hn_scaling_bench: " << option
              << " takes pair counts from 1 to 4294967295 separated by "
                 "commas, not '"
              << value << "'\n";
    return false;
  }
  sizes = *parsed;
  return true;
}

bool readKinds(const std::string& value, std::vector<hn::SampleKind>& kinds) {
  kinds.clear();
  for (const std::string& name : parseList(value)) {
    const auto kind = hn::parseSampleKind(name);
    if (!kind) {
      std::cerr << "hn_scaling_bench: --kinds takes scenes, shapes and "
                   "photos, not '"
                << name << "'\n";
      return false;
    }
    kinds.push_back(*kind);
  }
  return true;
}

// Sets what one option with its value says; false, with a message, when
// the option is unknown or the value unusable.
bool readOption(const std::string& option, const std::string& value,
                Options& options) {
  if (option == "--sizes") return readSizes(option, value, options.sizes);
  if (option == "--literal-sizes") {
    return readSizes(option, value, options.literalSizes);
  }
  if (option == "--scan-sizes") {
    return readSizes(option, value, options.scanSizes);
  }
  if (option == "--parameters") {
    options.parameters = parseList(value);
    return true;
  }
  if (option == "--literal-parameters") {
    options.literalParameters = parseList(value);
    return true;
  }
  if (option == "--kinds") return readKinds(value, options.kinds);
  if (option == "--threads") {
    const std::optional<std::uint32_t> threads = parseCount(value);
    if (!threads) {
      std::cerr << "hn_scaling_bench: --threads takes a number from 1 up, "
                   "not '"
                << value << "'\n";
      return false;
    }
    options.threads = *threads;
    return true;
  }
  std::cerr << "hn_scaling_bench: unknown option '" << option << "'\n";
  return false;
}

std::optional<Options> parseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--in-process") {
      options.inProcess = true;
      continue;
    }
    if (i + 1 == argc) {
      std::cerr << "hn_scaling_bench: " << option << " needs a value\n";
      return std::nullopt;
    }
    if (!readOption(option, argv[++i], options)) return std::nullopt;
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Options> parsed = parseOptions(argc, argv);
  if (!parsed) {
    std::cerr << kUsage;
    return 2;
  }
  const auto& [sizes, literalSizes, parameters, literalParameters, scanSizes,
               kinds, threads, inProcess] = *parsed;
  const DataOrigin origin{fs::temp_directory_path() /
                              ("hn_scaling_bench_" + std::to_string(getpid())),
                          inProcess};
  std::printf(
      "threads: %u; sample data%s, order 3, order2 3, 20 hyperedges per "
      "pair, %d epochs\n\n",
      threads, inProcess ? " generated in process" : "", kEpochs);

  if (!literalSizes.empty() && !literalParameters.empty()) {
    std::printf(
        "literal path against indexed path (scenes, whole run, both "
        "directions' generation)\n");
    std::printf("%9s %8s %12s %12s %8s\n", "parameter", "pairs", "literal s",
                "indexed s", "ratio");
  }
  for (const std::string& parameter : literalParameters) {
    for (const std::uint32_t pairs : literalSizes) {
      const Setting setting{hn::SampleKind::kScenes, parameter};
      const SampleSource source(origin, pairs, setting.kind);
      double peak = 0;
      const Figures slow = learnInChild(source, setting, true, 1, peak);
      const Figures fast = learnInChild(source, setting, false, 1, peak);
      double slowTotal = 0;
      double fastTotal = 0;
      for (const double phase : slow.phases) slowTotal += phase;
      for (const double phase : fast.phases) fastTotal += phase;
      std::printf("%9s %8u %12.2f %12.3f %7.0fx\n", parameter.c_str(), pairs,
                  slowTotal, fastTotal, slowTotal / fastTotal);
      std::fflush(stdout);
    }
  }

  // Per kind, each parameter's time at the largest size against the first
  // parameter's (0.5 by default).
  for (const hn::SampleKind kind : kinds) {
    std::vector<std::pair<double, double>> largest;
    for (const std::string& parameter : parameters) {
      largest.push_back(runTable(origin, sizes, {kind, parameter}, threads));
    }
    if (parameters.size() < 2 || sizes.empty()) continue;
    std::printf("\n%s, %u pairs, time against parameter %s: ",
                std::string(hn::sampleKindName(kind)).c_str(), sizes.back(),
                parameters.front().c_str());
    for (std::size_t i = 1; i < parameters.size(); ++i) {
      std::printf("%s%s image to text %.2fx, text to image %.2fx",
                  i > 1 ? "; " : "", parameters[i].c_str(),
                  largest[i].first / largest.front().first,
                  largest[i].second / largest.front().second);
    }
    std::printf("\n");
    std::fflush(stdout);
  }
  for (const hn::SampleKind kind : kinds) {
    if (!scanSizes.empty()) compareWithScan(origin, scanSizes, kind, threads);
  }
  fs::remove_all(origin.root);
  return 0;
}

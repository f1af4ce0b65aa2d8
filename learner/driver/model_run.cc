#include "learner/driver/model_run.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <utility>
#include <vector>

#include "common/number_text.h"
#include "learner/driver/exit_status.h"
#include "learner/driver/generation_output.h"
#include "learner/driver/run_files.h"
#include "learner/model/model_file.h"

namespace hn {
namespace {

// A data file that is named "-", or not there, is left out on purpose.
bool isPresent(const std::string& name) {
  std::error_code ignored;
  return name != "-" && !name.empty() &&
         std::filesystem::is_regular_file(name, ignored);
}

// "line 7 of configure.txt (the sentence file)"
std::string entryPlace(std::size_t entry) {
  return "line " + std::to_string(entry + 1) + " of configure.txt (the " +
         (entry == kSentenceFileEntry ? "sentence" : "image") + " file)";
}

}  // namespace

ModelRun::ModelRun(const RunScriptEntries& entries, const CommandLine& options,
                   const QueriesMaker& makeEngine)
    : entries(entries),
      modelFile(options.loadModel.value_or("")),
      threads(options.threadCount()),
      flushing(options.flushing),
      progressLine(std::cerr, ProgressLine::wanted(options.quiet)),
      storage(makeStore(options.literal)),
      queries(makeEngine(*storage, options)) {
  learner.storage = storage.get();
  learner.dataSet = &dataSet;
  learner.queries = queries.get();
}

int ModelRun::execute() {
  if (const std::optional<std::string> clash = outputClash()) {
    std::cerr << "hn_learner: " << *clash << "; nothing was written\n"
              << std::flush;
    return kRefusedStatus;
  }
  if (!loadModel() || !loadData()) return kFailureStatus;
  const std::string& outputName = entries[outputEntry(entries)];
  std::ofstream out(outputName, std::ios::trunc);
  if (!out) {
    std::cerr << "hn_learner: cannot create the output file \"" << outputName
              << "\" named on line " << outputEntry(entries) + 1
              << " of configure.txt\n"
              << std::flush;
    return kFailureStatus;
  }
  generate(out);
  if (!closeOutput(out, outputName)) return kFailureStatus;
  if (scored) {
    if (dataSet.instances.empty()) {
      reportNoPairs(entries, "the held-out text-to-image accuracy");
    }
    scoreOtherDirection();
    score.writeImageAccuracy(std::cout);
    score.writeTextShare(std::cout);
  }
  return 0;
}

std::optional<std::string> ModelRun::outputClash() const {
  std::vector<RunFile> read = {runScriptFile(),
                               modelFileNamed(modelFile, "--load-model")};
  // A data file named "-" is left out, not read.
  for (const RunFile& file : dataFiles(entries)) {
    if (file.name != "-") read.push_back(file);
  }
  const std::vector<RunFile> written = {
      entryFile(entries, outputEntry(entries), "the output file")};
  std::optional<std::string> refusal = sameFileClash(written, read);
  if (!refusal) refusal = nonRegularOutput(written);
  return refusal;
}

bool ModelRun::loadModel() {
  std::string error;
  const std::optional<ModelShape> shape = hn::loadModel(
      modelFile, *storage, error, [this](std::size_t done, std::size_t total) {
        progressLine.update("loading the model", done, total, "hyperedges");
      });
  if (!shape) {
    std::cerr << error << '\n' << std::flush;
    return false;
  }
  learner.set("mode", "2");
  learner.set("order", Configurable::intToText(shape->order));
  learner.set("order2", Configurable::intToText(shape->order2));
  learner.readParameters();
  warnAboutRunScriptOrders();
  return true;
}

void ModelRun::warnAboutRunScriptOrders() const {
  const std::int32_t scriptOrder = textToInt(entries[kOrderEntry]);
  const std::int32_t scriptOrder2 = textToInt(entries[kOrder2Entry]);
  if (scriptOrder == learner.order && scriptOrder2 == learner.order2) return;
  std::cerr << "hn_learner: configure.txt gives order " << scriptOrder
            << " and order2 " << scriptOrder2 << ", the model order "
            << learner.order << " and order2 " << learner.order2
            << "; generating with the model's\n"
            << std::flush;
}

// Reads the side generated from, and the other side when it is there.
bool ModelRun::loadData() {
  const std::size_t neededEntry =
      generatesImages(entries) ? kSentenceFileEntry : kImageFileEntry;
  const std::size_t otherEntry =
      generatesImages(entries) ? kImageFileEntry : kSentenceFileEntry;
  const std::string& needed = entries[neededEntry];
  const std::string& other = entries[otherEntry];
  if (!isPresent(needed)) {
    std::cerr << "hn_learner: "
              << (generatesImages(entries) ? "text to image" : "image to text")
              << " needs the file \"" << needed << "\" named on "
              << entryPlace(neededEntry) << ", which cannot be read\n"
              << std::flush;
    return false;
  }
  dataSet.set("order", learner.get("order"));
  dataSet.set("order2", learner.get("order2"));
  scored = isPresent(other);
  if (scored) {
    dataSet.set("filename", dataFileNames(entries));
    dataSet.load();
  } else {
    if (other != "-" && !other.empty()) {
      std::cerr << "hn_learner: no file \"" << other << "\" (named on "
                << entryPlace(otherEntry) << "); generating without a "
                << "held-out score\n"
                << std::flush;
    }
    std::ifstream in(needed);
    if (generatesImages(entries)) {
      dataSet.readSentencesAlone(in);
    } else {
      dataSet.readImagesAlone(in, needed);
    }
  }
  if (!dataSet.loaded) {
    std::cerr << "hn_learner: the data file \"" << needed
              << "\" could not be read\n"
              << std::flush;
  }
  return dataSet.loaded;
}

void ModelRun::generate(std::ostream& out) {
  const std::size_t pairs = dataSet.instances.size() / 2;
  const auto advance = [&](std::size_t pair) {
    progressLine.update("generation", pair + 1, pairs, "pairs");
  };
  if (generatesImages(entries)) {
    writeGeneratedImages(
        out, *queries, learner.layout(), dataSet.instances, threads, flushing,
        [&](std::size_t pair, const ImageBuffer& generated) {
          if (scored) {
            score.addImage(generated, dataSet.instances[2 * pair + 1].values());
          }
          advance(pair);
        });
  } else {
    writeGeneratedTexts(
        out, *queries, learner.layout(), dataSet.instances, threads, flushing,
        [&](std::size_t pair, const std::vector<Hyperedge>& fragments) {
          if (scored) {
            score.addText(fragments, dataSet.instances[2 * pair].values());
          }
          advance(pair);
        });
  }
}

void ModelRun::scoreOtherDirection() {
  const std::size_t pairs = dataSet.instances.size() / 2;
  const auto advance = [&](std::size_t pair) {
    progressLine.update("held-out score", pair + 1, pairs, "pairs");
  };
  if (generatesImages(entries)) {
    // 64 images at a time, which the engine may match together.
    constexpr std::size_t kImagesPerCall = 64;
    for (std::size_t first = 0; first < pairs; first += kImagesPerCall) {
      const std::size_t count = std::min(kImagesPerCall, pairs - first);
      std::vector<ImageBuffer> images;
      images.reserve(count);
      for (std::size_t pair = first; pair < first + count; ++pair) {
        images.push_back(imageBufferOf(dataSet.instances[2 * pair + 1]));
      }
      std::vector<std::vector<Hyperedge>> fragments(count);
      queries->generateTexts(learner.layout(), images, fragments);
      for (std::size_t k = 0; k < count; ++k) {
        score.addText(fragments[k],
                      dataSet.instances[2 * (first + k)].values());
        advance(first + k);
      }
    }
    return;
  }
  for (std::size_t pair = 0; pair < pairs; ++pair) {
    imageBuffer.fill(-1);
    learner.generateImage(dataSet.instances[2 * pair].values(), imageBuffer);
    score.addImage(imageBuffer, dataSet.instances[2 * pair + 1].values());
    advance(pair);
  }
}

}  // namespace hn

#include "python/learner.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <span>
#include <utility>

#include "common/configurable.h"
#include "common/output_target.h"
#include "learner/data/bimodal_csv_file_wrapper.h"
#include "learner/data/image.h"
#include "learner/data/in_memory_data_set.h"
#include "learner/data/instance_list.h"
#include "learner/data/pair_rules.h"
#include "learner/driver/command_line.h"
#include "learner/driver/held_out_score.h"
#include "learner/driver/query_engine.h"
#include "learner/driver/training.h"
#include "learner/model/model_file.h"
#include "python/integer_rows.h"
#include "python/long_call.h"

namespace py = pybind11;

namespace hn {

struct TrainedPopulation {
  TrainedPopulation(const LearnerSettings& settings, InstanceList rows);

  Layout layout() const { return training->learner.layout(); }
  const Queries& queries() const { return *training->queries; }
  const HyperedgeStore& storage() const { return *training->storage; }

  // What the population was trained on; emptied once it is trained.
  std::unique_ptr<InMemoryDataSet> data;
  // Borrows the data set, so it goes after it.
  std::unique_ptr<Training> training;
};

namespace {

// Held by every call that draws from, or seeds, the C library's one
// pseudo-random sequence.
std::mutex& randomSequence() {
  static std::mutex lock;
  return lock;
}

// The skipped rows a warning names; it counts the others.
constexpr std::size_t kMostRowsNamed = 10;

// A real number as a text that reads back as the same double.
std::string exactText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

TrainingSettings trainingSettingsOf(const LearnerSettings& settings) {
  return {std::to_string(settings.order),   std::to_string(settings.order2),
          std::to_string(settings.epochs),  exactText(settings.weightUpdate),
          std::to_string(settings.perLine), settings.seed};
}

// Sentences and images as the in-memory data set takes them: sentence and
// image alternately, row by row.
InstanceList pairRows(py::handle sentences, py::handle images) {
  const std::size_t count = rowCount(sentences, "sentences");
  const std::size_t imageCount = rowCount(images, "images");
  if (count != imageCount) {
    throw py::value_error(
        "sentences and images pair up row by row, but there "
        "are " +
        std::to_string(count) + " sentences and " + std::to_string(imageCount) +
        " images");
  }
  std::vector<std::vector<std::int32_t>> sentenceRows(count);
  readRows(sentences, "sentences",
           [&](std::size_t row, std::span<const std::int32_t> values) {
             sentenceRows[row].assign(values.begin(), values.end());
           });
  InstanceList rows;
  readRows(images, "images",
           [&](std::size_t row, std::span<const std::int32_t> values) {
             rows.push_back(sentenceRows[row]);
             rows.push_back(values);
           });
  return rows;
}

void warn(const std::string& message) {
  if (PyErr_WarnEx(PyExc_UserWarning, message.c_str(), 1) != 0) {
    throw py::error_already_set();
  }
}

// What hn_learner says on standard error about the same data, as Python
// warnings naming rows instead of lines. Needs the GIL.
void warnAboutData(const InMemoryDataSet& data, const std::string& accuracy) {
  const std::vector<InMemoryDataSet::SkippedRow>& skipped = data.skipped;
  if (!skipped.empty()) {
    std::string message =
        std::to_string(skipped.size()) +
        (skipped.size() == 1 ? " pair is" : " pairs are") +
        " left out, as hn_learner leaves out such lines of its data files: ";
    const std::size_t named = std::min(skipped.size(), kMostRowsNamed);
    for (std::size_t i = 0; i < named; ++i) {
      message += (i > 0 ? "; row " : "row ") + std::to_string(skipped[i].row) +
                 " (" + skipped[i].reason + ")";
    }
    if (named < skipped.size()) {
      message += "; and " + std::to_string(skipped.size() - named) + " more";
    }
    warn(message);
  }
  if (data.firstWildcardRow) {
    warn("sentences row " + std::to_string(*data.firstWildcardRow) + ": " +
         kWildcardSentenceMessage);
  }
  if (data.instances.empty()) {
    warn("no sentence-image pair to learn from, so " + accuracy +
         ", a mean over the pairs, is NaN");
  }
}

// Takes a new reference from the C interface; a null one is the error set.
py::object owned(PyObject* object) {
  if (object == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(object);
}

// Per image, its fragments as (words, weight) pairs, built through the C
// interface: a large generation makes millions of them.
py::list textsOf(std::vector<std::vector<Hyperedge>>& fragments) {
  py::list texts(fragments.size());
  for (std::size_t image = 0; image < fragments.size(); ++image) {
    const std::vector<Hyperedge> record = std::move(fragments[image]);
    py::list pairs(record.size());
    for (std::size_t i = 0; i < record.size(); ++i) {
      const Hyperedge& fragment = record[i];
      py::tuple words(fragment.vertexCount);
      for (std::uint32_t k = 0; k < fragment.vertexCount; ++k) {
        PyTuple_SET_ITEM(
            words.ptr(), k,
            owned(PyLong_FromLong(fragment.vertices[k])).release().ptr());
      }
      py::object weight = owned(PyFloat_FromDouble(fragment.weight));
      PyList_SET_ITEM(
          pairs.ptr(), static_cast<py::ssize_t>(i),
          owned(PyTuple_Pack(2, words.ptr(), weight.ptr())).release().ptr());
    }
    PyList_SET_ITEM(texts.ptr(), static_cast<py::ssize_t>(image),
                    pairs.release().ptr());
  }
  return texts;
}

// Fills `to` with every hyperedge of `from` (of `layout`) and its weight, in
// vertex order, which a store loads fastest.
void copyPopulation(const Population& from, Layout layout, Population& to) {
  std::vector<HyperedgeView> hyperedges;
  hyperedges.reserve(from.size());
  from.forEachInVertexOrder([&](HyperedgeId, HyperedgeView hyperedge) {
    hyperedges.push_back(hyperedge);
  });
  const std::uint32_t length = layout.sentenceSlots + layout.imageSlots;
  std::size_t next = 0;
  to.load(length, hyperedges.size(), [&](std::span<std::int32_t> vertices) {
    const HyperedgeView& hyperedge = hyperedges[next++];
    std::copy(hyperedge.vertices.begin(), hyperedge.vertices.end(),
              vertices.begin());
    return hyperedge.weight;
  });
}

[[noreturn]] void raiseOSError(const std::string& message) {
  PyErr_SetString(PyExc_OSError, message.c_str());
  throw py::error_already_set();
}

}  // namespace

TrainedPopulation::TrainedPopulation(const LearnerSettings& settings,
                                     InstanceList rows)
    : data(std::make_unique<InMemoryDataSet>(std::move(rows))),
      training(std::make_unique<Training>(
          trainingSettingsOf(settings), *data, makeStore(settings.literal),
          [&settings](HyperedgeStore& storage) {
            // generate_text hands out the weights themselves.
            return makeQueryEngine(storage, settings.literal,
                                   settings.threads.value_or(0), true);
          })) {
  // The texts the learner hands the data set when it trains, so that the
  // pairs it is checked with are the pairs it trains on.
  data->set("order", training->learner.get("order"));
  data->set("order2", training->learner.get("order2"));
}

Learner::Learner(const LearnerSettings& settings) : settings(settings) {}

Learner::~Learner() = default;

std::unique_ptr<Learner> Learner::load(const std::filesystem::path& path,
                                       LearnerSettings settings) {
  std::shared_ptr<TrainedPopulation> population;
  std::optional<ModelShape> shape;
  std::string error;
  {
    const py::gil_scoped_release released;
    {
      // Making the sampler seeds the generator.
      const std::lock_guard oneSequence(randomSequence());
      population =
          std::make_shared<TrainedPopulation>(settings, InstanceList{});
    }
    shape = loadModel(path, *population->training->storage, error);
  }
  if (!shape) raiseOSError(error);
  Hypernetwork& learner = population->training->learner;
  learner.set("order", Configurable::intToText(shape->order));
  learner.set("order2", Configurable::intToText(shape->order2));
  learner.readParameters();
  settings.order = shape->order;
  settings.order2 = shape->order2;
  auto loaded = std::make_unique<Learner>(settings);
  loaded->replace(std::move(population));
  return loaded;
}

std::vector<double> Learner::fit(py::handle sentences, py::handle images,
                                 py::object progress) {
  InstanceList rows = pairRows(sentences, images);
  const std::shared_ptr<const TrainedPopulation> previous =
      settings.warmStart ? trainedOrNull() : nullptr;
  std::shared_ptr<TrainedPopulation> fitted;
  std::vector<double> accuracies;
  LongCall call(std::move(progress));
  call.run([&] {
    const std::lock_guard oneSequence(randomSequence());
    // Seeds the generator, from `seed` or the clock, as hn_learner does.
    fitted = std::make_shared<TrainedPopulation>(settings, std::move(rows));
    InMemoryDataSet& data = *fitted->data;
    data.load();
    call.withGil([&] { warnAboutData(data, "the accuracy"); });
    Hypernetwork& learner = fitted->training->learner;
    learner.progress = [&call](std::string_view step, std::size_t done,
                               std::size_t total, std::string_view) {
      call.report(step, done, total);
    };
    if (previous) {
      // Where hn_learner --continue-from loads its model: the store has
      // been emptied, the initial sampling is still to come.
      learner.fillEmptiedStore = [&] {
        copyPopulation(previous->storage(), previous->layout(),
                       *fitted->training->storage);
      };
    }
    TrainingEvents events;
    events.epochDone = [&accuracies](std::uint32_t, double accuracy) {
      accuracies.push_back(accuracy);
    };
    learner.train(events);
    learner.progress = nullptr;
    learner.fillEmptiedStore = nullptr;
    data.instances.clear();
  });
  replace(std::move(fitted));
  return accuracies;
}

py::array_t<std::int32_t> Learner::generateImages(py::handle sentences,
                                                  py::object progress) {
  const std::shared_ptr<const TrainedPopulation> population = trained();
  InstanceList rows;
  readRows(sentences, "sentences",
           [&](std::size_t, std::span<const std::int32_t> values) {
             rows.push_back(values);
           });
  py::array_t<std::int32_t> images({static_cast<py::ssize_t>(rows.size()),
                                    static_cast<py::ssize_t>(kImageSize)});
  std::int32_t* const out = images.mutable_data();
  LongCall call(std::move(progress));
  call.run([&] {
    // Sentences that the engine lets share an image (equal ones) take the
    // image of the first of them, as hn_learner's generation does.
    std::vector<InstanceView> views;
    for (std::size_t row = 0; row < rows.size(); ++row) {
      views.push_back(rows[row]);
    }
    const std::vector<std::size_t> sameAs =
        population->queries().sharedImages(views);
    std::vector<std::size_t> distinct;
    for (std::size_t row = 0; row < rows.size(); ++row) {
      if (sameAs[row] == row) distinct.push_back(row);
    }
    call.forEach(
        "generation", distinct.size(), threadCount(), [&](std::size_t index) {
          const std::size_t row = distinct[index];
          ImageBuffer image;
          image.fill(-1);
          population->queries().generateImage(population->layout(),
                                              rows[row].values(), image);
          std::copy(image.begin(), image.end(), out + row * kImageSize);
        });
    for (std::size_t row = 0; row < rows.size(); ++row) {
      std::copy_n(out + sameAs[row] * kImageSize, kImageSize,
                  out + row * kImageSize);
    }
  });
  return images;
}

py::list Learner::generateText(py::handle images, py::object progress) {
  const std::shared_ptr<const TrainedPopulation> population = trained();
  InstanceList rows;
  readRows(images, "images",
           [&](std::size_t row, std::span<const std::int32_t> values) {
             // An empty image is taken: it has no value to agree with.
             if (const std::string fault = imageFault(values, false);
                 !fault.empty()) {
               throw py::value_error("images row " + std::to_string(row) +
                                     ": " + fault);
             }
             rows.push_back(values);
           });
  std::vector<std::vector<Hyperedge>> fragments(rows.size());
  // The engine matches images without a common background 64 at a time:
  // the row that starts a group of 64 generates the group.
  constexpr std::size_t kImagesPerCall = 64;
  static_assert(LongCall::kChunk % kImagesPerCall == 0);
  LongCall call(std::move(progress));
  call.run([&] {
    call.forEach(
        "generation", rows.size(), threadCount(), [&](std::size_t row) {
          if (row % kImagesPerCall != 0) return;
          const std::size_t count = std::min(kImagesPerCall, rows.size() - row);
          std::vector<ImageBuffer> images;
          images.reserve(count);
          for (std::size_t k = row; k < row + count; ++k) {
            images.push_back(imageBufferOf(rows[k]));
          }
          population->queries().generateTexts(
              population->layout(), images,
              std::span(fragments).subspan(row, count));
        });
  });
  return textsOf(fragments);
}

py::dict Learner::score(py::handle sentences, py::handle images,
                        py::object progress) {
  const std::shared_ptr<const TrainedPopulation> population = trained();
  InMemoryDataSet data(pairRows(sentences, images));
  // The model's orders decide which pairs are taken, as with --load-model.
  data.set("order",
           Configurable::intToText(population->layout().sentenceSlots));
  data.set("order2", Configurable::intToText(population->layout().imageSlots));
  HeldOutScore score;
  LongCall call(std::move(progress));
  call.run([&] {
    data.load();
    call.withGil([&] { warnAboutData(data, "the text-to-image accuracy"); });
    const InstanceList& pairs = data.instances;
    // Generated a chunk at a time, then summed in pair order as hn_learner
    // sums them.
    std::vector<ImageBuffer> generated(LongCall::kChunk);
    std::vector<std::vector<Hyperedge>> fragments(LongCall::kChunk);
    call.forEach(
        "held-out score", pairs.size() / 2, threadCount(),
        [&](std::size_t pair) {
          ImageBuffer& image = generated[pair % LongCall::kChunk];
          image.fill(-1);
          population->queries().generateImage(population->layout(),
                                              pairs[2 * pair].values(), image);
          std::vector<Hyperedge>& text = fragments[pair % LongCall::kChunk];
          text.clear();
          population->queries().generateText(
              population->layout(), imageBufferOf(pairs[2 * pair + 1]), text);
        },
        [&](std::size_t first, std::size_t size) {
          for (std::size_t pair = first; pair < first + size; ++pair) {
            score.addImage(generated[pair % LongCall::kChunk],
                           pairs[2 * pair + 1].values());
            score.addText(fragments[pair % LongCall::kChunk],
                          pairs[2 * pair].values());
          }
        });
  });
  const std::size_t weighty = score.assembledFragments();
  const std::size_t found = score.assembledFragmentsFound();
  py::dict figures;
  figures["pairs"] = data.instances.size() / 2;
  figures["text_to_image_accuracy"] = score.imageAccuracy();
  figures["text_to_image_accuracy_own_positions"] =
      score.ownPositionsAccuracy();
  figures["image_to_text_share"] =
      weighty == 0 ? std::numeric_limits<double>::quiet_NaN()
                   : static_cast<double>(found) / static_cast<double>(weighty);
  figures["image_to_text_found"] = found;
  figures["image_to_text_fragments"] = weighty;
  return figures;
}

void Learner::save(const std::filesystem::path& path) {
  const std::shared_ptr<const TrainedPopulation> population = trained();
  const Layout layout = population->layout();
  std::string error;
  bool saved = false;
  {
    const py::gil_scoped_release released;
    // Through a link, the file it leads to is replaced, not the link.
    saved = saveModel(outputTarget(path.string()), population->storage(),
                      {static_cast<std::int32_t>(layout.sentenceSlots),
                       static_cast<std::int32_t>(layout.imageSlots)},
                      error);
  }
  if (!saved) {
    raiseOSError("cannot save the model to \"" + path.string() +
                 "\": " + error);
  }
}

std::size_t Learner::size() {
  const std::shared_ptr<const TrainedPopulation> population = trainedOrNull();
  return population ? population->storage().size() : 0;
}

py::tuple Learner::population() {
  const std::shared_ptr<const TrainedPopulation> population = trainedOrNull();
  const std::size_t length =
      population
          ? population->layout().sentenceSlots + population->layout().imageSlots
          : static_cast<std::size_t>(settings.order + settings.order2);
  const std::size_t count = population ? population->storage().size() : 0;
  py::array_t<std::int32_t> vertices(
      {static_cast<py::ssize_t>(count), static_cast<py::ssize_t>(length)});
  py::array_t<double> weights(static_cast<py::ssize_t>(count));
  if (population) {
    std::int32_t* vertex = vertices.mutable_data();
    double* weight = weights.mutable_data();
    population->storage().forEachInVertexOrder(
        [&](HyperedgeId, HyperedgeView hyperedge) {
          vertex = std::copy(hyperedge.vertices.begin(),
                             hyperedge.vertices.end(), vertex);
          *weight++ = hyperedge.weight;
        });
  }
  return py::make_tuple(std::move(vertices), std::move(weights));
}

std::string Learner::repr() const {
  const auto optional = [](const auto& value) {
    return value ? std::to_string(*value) : std::string("None");
  };
  return "hn.Learner(order=" + std::to_string(settings.order) +
         ", order2=" + std::to_string(settings.order2) +
         ", epochs=" + std::to_string(settings.epochs) + ", weight_update=" +
         std::string(py::repr(py::float_(settings.weightUpdate))) +
         ", per_line=" + std::to_string(settings.perLine) +
         ", seed=" + optional(settings.seed) +
         ", threads=" + optional(settings.threads) +
         ", literal=" + (settings.literal ? "True" : "False") +
         ", warm_start=" + (settings.warmStart ? "True" : "False") + ")";
}

std::shared_ptr<const TrainedPopulation> Learner::trained() const {
  std::shared_ptr<const TrainedPopulation> population = trainedOrNull();
  if (!population) {
    throw std::runtime_error(
        "this Learner holds no population yet: call fit, or make it with "
        "hn.Learner.load");
  }
  return population;
}

std::shared_ptr<const TrainedPopulation> Learner::trainedOrNull() const {
  const std::lock_guard lock(guard);
  return current;
}

void Learner::replace(std::shared_ptr<const TrainedPopulation> population) {
  {
    const std::lock_guard lock(guard);
    std::swap(current, population);
  }
  // The population replaced, if any, goes here, outside the lock.
}

unsigned Learner::threadCount() const {
  CommandLine threads;
  threads.threads = settings.threads.value_or(0);
  return threads.threadCount();
}

}  // namespace hn

// The Python module hn: hn_learner's training and generation, and
// sentence_assembler's chaining, on Python data (numpy arrays, lists of
// token ids) without files.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "learner/driver/run_script.h"
#include "python/assembly.h"
#include "python/learner.h"

namespace py = pybind11;

namespace {

// The checks hn_learner makes on its run script before training, as
// ValueError: a whole number from `least` to `most`.
std::int64_t wholeNumber(py::handle value, const char* name, std::int64_t least,
                         std::int64_t most) {
  const std::string shown = py::repr(value);
  if (PyBool_Check(value.ptr()) || !PyIndex_Check(value.ptr())) {
    throw py::value_error(std::string(name) + " must be a whole number, not " +
                          shown);
  }
  const py::object integer =
      py::reinterpret_steal<py::object>(PyNumber_Index(value.ptr()));
  if (!integer) throw py::error_already_set();
  int overflow = 0;
  const long long number =
      PyLong_AsLongLongAndOverflow(integer.ptr(), &overflow);
  if (overflow < 0 || (overflow == 0 && number < least)) {
    throw py::value_error(
        std::string(name) + " " + shown +
        (least == 0 ? " is negative" : " is below " + std::to_string(least)));
  }
  if (overflow > 0 || number > most) {
    throw py::value_error(std::string(name) + " " + shown + " is above " +
                          std::to_string(most));
  }
  return number;
}

std::int32_t count(py::handle value, const char* name, std::int32_t most) {
  return static_cast<std::int32_t>(wholeNumber(value, name, 0, most));
}

std::optional<unsigned> optionalNumber(py::handle value, const char* name,
                                       std::int64_t least, std::int64_t most) {
  if (value.is_none()) return std::nullopt;
  return static_cast<unsigned>(wholeNumber(value, name, least, most));
}

double finiteReal(py::handle value, const char* name) {
  const double real = PyFloat_AsDouble(value.ptr());
  if (real == -1.0 && PyErr_Occurred()) {
    PyErr_Clear();
    throw py::value_error(std::string(name) + " must be a number, not " +
                          std::string(py::repr(value)));
  }
  if (!std::isfinite(real)) {
    throw py::value_error(std::string(name) + " " +
                          std::string(py::repr(value)) +
                          " is not a finite number");
  }
  return real;
}

constexpr std::int64_t kMostThreads = 1024;
constexpr std::int32_t kMostInt = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kMostSeed = std::numeric_limits<std::uint32_t>::max();

hn::LearnerSettings settingsOf(py::handle order, py::handle order2,
                               py::handle epochs, py::handle weightUpdate,
                               py::handle perLine, py::handle seed,
                               py::handle threads, bool literal,
                               bool warmStart) {
  hn::LearnerSettings settings;
  settings.order = count(order, "order", hn::kMaxOrder);
  settings.order2 = count(order2, "order2", hn::kMaxOrder2);
  settings.epochs = count(epochs, "epochs", kMostInt);
  settings.weightUpdate = finiteReal(weightUpdate, "weight_update");
  settings.perLine = count(perLine, "per_line", kMostInt);
  settings.seed = optionalNumber(seed, "seed", 0, kMostSeed);
  settings.threads = optionalNumber(threads, "threads", 1, kMostThreads);
  settings.literal = literal;
  settings.warmStart = warmStart;
  return settings;
}

constexpr const char* kLearnerDoc =
    R"(A hypernetwork learner of sentence-image pairs, as hn_learner trains it.

Learner(order=3, order2=6, epochs=3, weight_update=0.5, per_line=30,
        seed=None, threads=None, literal=False, warm_start=False)

order: words of a sentence per hyperedge; order2: image values per
hyperedge; epochs: the run script's maxepoch, whose first epoch is the
initial sampling; weight_update: the amount added to a reinforced
hyperedge; per_line: hyperedges sampled per pair. seed: the seed of the
random generator, applied at the start of every fit (None: the clock, so
every fit samples differently). threads: threads for the accuracy passes
and generation (None: one per core); the results do not depend on it.
literal: answer every query by a full scan of the population, slowly, with
the same results. warm_start: every fit goes on from the population the
learner holds (trained by an earlier fit, or loaded), as hn_learner
--continue-from does: the initial sampling adds the new pairs' hyperedges
to it, then the epochs refine it over the new pairs.

The same data, settings and seed give the same accuracies, population,
generated output and model file as hn_learner --seed on CSV files holding
the same data. Sentences are sequences of word values; images are rows of
at most 4800 values from 0 to 214747, one per position, row by row.

Long calls release the GIL, can be stopped with Ctrl-C (the learner is then
left as it was before the call) and take an optional progress callable,
called now and then with (step, done, total). Fits hold one lock for the
whole module: the learner draws from the C library's one random sequence.)";

constexpr const char* kLoadDoc =
    R"(Learner.load(path, *, epochs=3, weight_update=0.5, per_line=30,
             seed=None, threads=None, literal=False, warm_start=False)
    -> Learner

A learner holding the population of a model file that hn_learner
--save-model or Learner.save wrote; order and order2 come from the model,
the other settings are those of later fits (with warm_start, fits go on
from the loaded population). OSError when the file is missing, damaged or
no model.)";

constexpr const char* kFitDoc =
    R"(fit(sentences, images, *, progress=None) -> list of float

Samples a population from the pairs and refines its weights, as hn_learner
does, replacing what the learner held (with warm_start, adding to it). sentences: a sequence of integer
sequences (or a 2-D integer array), one per pair; images: a 2-D integer
array (or more dimensions, each row flattened) or a sequence of integer
sequences, one row per pair. Returns the accuracy of each epoch, the
numbers hn_learner prints.

Pairs that hn_learner leaves out of its data files are left out the same
way, with a warning naming their rows: a sentence with fewer words than
order, an image without values (when order2 >= 1), with more than 4800
values, or with a value outside 0..214747. A sentence holding the wildcard
-1 is named too. ValueError for values that are not integers or do not fit
in 32 bits, and for unequal numbers of sentences and images.

Interrupted (Ctrl-C, or an exception raised by progress), it leaves the
learner as it was before the call.)";

constexpr const char* kGenerateImagesDoc =
    R"(generate_images(sentences, *, progress=None) -> numpy.ndarray

The image generated from each sentence, as hn_learner writes it: an
n x 4800 int32 array, -1 where nothing was generated. A sentence with
fewer words than order generates nothing.)";

constexpr const char* kGenerateTextDoc =
    R"(generate_text(images, *, progress=None) -> list

For each image, the fragments generated from it, heaviest first, as
hn_learner writes them: a list of (words, weight) pairs, words a tuple of
order word values. ValueError for an image with more than 4800 values or a
value outside 0..214747.)";

constexpr const char* kScoreDoc =
    R"(score(sentences, images, *, progress=None) -> dict

The held-out figures hn_learner --load-model prints for these pairs, taken
as fit takes them (with the same warnings): 'text_to_image_accuracy' (the
mean share of the 4800 positions generated right, as the training accuracy),
'text_to_image_accuracy_own_positions' (over each image's own positions),
'image_to_text_share' (of the generated fragments weighing 1 or more, the
share found in the true sentence; NaN when there is none),
'image_to_text_found', 'image_to_text_fragments' and 'pairs'.)";

constexpr const char* kAssembleDoc =
    R"(assemble(fragments, dictionary, *, whole_first_fragment=False) -> list of str

Chains each record's fragments into a sentence as sentence_assembler does:
fragments is a list of records, each a list of (words, weight) pairs,
heaviest first (what Learner.generate_text returns); only fragments
weighing 1.0 or more are used. dictionary lists the word of each value
(dictionary[v] is value v's word; sentence_assembler's dic.txt gives value
0 the word 'aa' and line i value i, so pass ['aa'] + its lines). Returns
one line per record, each word followed by a blank, as sentence_assembler
writes it; values of 1000 or more are not written, and a value without a
word is '<unknown>'. whole_first_fragment: seed each sentence with its
whole first fragment instead of all but its last value.)";

}  // namespace

PYBIND11_MODULE(hn, module) {
  module.doc() =
      "Hypernetwork sentence-image learning: hn_learner and "
      "sentence_assembler on Python data.";

  py::class_<hn::Learner>(module, "Learner", kLearnerDoc)
      .def(py::init([](py::handle order, py::handle order2, py::handle epochs,
                       py::handle weightUpdate, py::handle perLine,
                       py::handle seed, py::handle threads, bool literal,
                       bool warmStart) {
             return std::make_unique<hn::Learner>(
                 settingsOf(order, order2, epochs, weightUpdate, perLine, seed,
                            threads, literal, warmStart));
           }),
           py::arg("order") = 3, py::arg("order2") = 6, py::arg("epochs") = 3,
           py::arg("weight_update") = 0.5, py::arg("per_line") = 30,
           py::arg("seed") = py::none(), py::arg("threads") = py::none(),
           py::arg("literal") = false, py::arg("warm_start") = false)
      .def("fit", &hn::Learner::fit, py::arg("sentences"), py::arg("images"),
           py::kw_only(), py::arg("progress") = py::none(), kFitDoc)
      .def("generate_images", &hn::Learner::generateImages,
           py::arg("sentences"), py::kw_only(),
           py::arg("progress") = py::none(), kGenerateImagesDoc)
      .def("generate_text", &hn::Learner::generateText, py::arg("images"),
           py::kw_only(), py::arg("progress") = py::none(), kGenerateTextDoc)
      .def("score", &hn::Learner::score, py::arg("sentences"),
           py::arg("images"), py::kw_only(), py::arg("progress") = py::none(),
           kScoreDoc)
      .def("save", &hn::Learner::save, py::arg("path"),
           "save(path)\n\nWrites the population to a model file, as "
           "hn_learner --save-model does (written whole or not at all). "
           "OSError when it cannot be written.")
      .def_static(
          "load",
          [](const std::filesystem::path& path, py::handle epochs,
             py::handle weightUpdate, py::handle perLine, py::handle seed,
             py::handle threads, bool literal, bool warmStart) {
            // order and order2 come from the model.
            const py::int_ fromTheModel(0);
            return hn::Learner::load(
                path,
                settingsOf(fromTheModel, fromTheModel, epochs, weightUpdate,
                           perLine, seed, threads, literal, warmStart));
          },
          py::arg("path"), py::kw_only(), py::arg("epochs") = 3,
          py::arg("weight_update") = 0.5, py::arg("per_line") = 30,
          py::arg("seed") = py::none(), py::arg("threads") = py::none(),
          py::arg("literal") = false, py::arg("warm_start") = false, kLoadDoc)
      .def("__len__", &hn::Learner::size, "The number of stored hyperedges.")
      .def_property_readonly(
          "population", &hn::Learner::population,
          "(vertices, weights): every stored hyperedge in vertex order, its "
          "order + order2 vertices a row of an int32 array (words, then "
          "image vertices value * 10000 + position), beside a float64 array "
          "of the weights. A copy.")
      .def("__repr__", &hn::Learner::repr)
      .def_property_readonly(
          "order", [](const hn::Learner& l) { return l.settings.order; })
      .def_property_readonly(
          "order2", [](const hn::Learner& l) { return l.settings.order2; })
      .def_property_readonly(
          "epochs", [](const hn::Learner& l) { return l.settings.epochs; })
      .def_property_readonly(
          "weight_update",
          [](const hn::Learner& l) { return l.settings.weightUpdate; })
      .def_property_readonly(
          "per_line", [](const hn::Learner& l) { return l.settings.perLine; })
      .def_property_readonly(
          "seed", [](const hn::Learner& l) { return l.settings.seed; })
      .def_property_readonly(
          "threads", [](const hn::Learner& l) { return l.settings.threads; })
      .def_property_readonly(
          "literal", [](const hn::Learner& l) { return l.settings.literal; })
      .def_property_readonly("warm_start", [](const hn::Learner& l) {
        return l.settings.warmStart;
      });

  module.def("assemble", &hn::assemble, py::arg("fragments"),
             py::arg("dictionary"), py::kw_only(),
             py::arg("whole_first_fragment") = false, kAssembleDoc);
}

#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace hn {

// A trained population with the engine that answers its queries.
struct TrainedPopulation;

// What hn.Learner is made with: the numbers of a run script, checked.
struct LearnerSettings {
  std::int32_t order = 3;
  std::int32_t order2 = 6;
  std::int32_t epochs = 3;
  double weightUpdate = 0.5;
  std::int32_t perLine = 30;
  std::optional<unsigned> seed;
  // Unset: one per core.
  std::optional<unsigned> threads;
  bool literal = false;
  // Whether a fit goes on from the population the learner holds (trained or
  // loaded), as hn_learner --continue-from does, instead of starting anew.
  bool warmStart = false;
};

// hn.Learner: trains and generates through the same code as hn_learner, so
// that the same data, settings and seed give the same accuracies, population,
// generated output and model file. The methods take Python objects and the
// GIL, and release the GIL for their long parts.
//
// Every call that draws from the C library's one pseudo-random sequence
// (a training, and the seeding that making a sampler does) holds one lock
// for the whole module, so that fits on several threads give what they give
// one after the other. A fit trains a population of its own and puts it in
// place only when it has ended, so that a fit that is stopped leaves the
// learner as it was.
class Learner {
 public:
  explicit Learner(const LearnerSettings& settings);
  ~Learner();

  // A learner holding the population of a model file, with `settings` for
  // later fits but for `order` and `order2`, which come from the model.
  // Raises OSError when the file cannot be used.
  static std::unique_ptr<Learner> load(const std::filesystem::path& path,
                                       LearnerSettings settings);

  std::vector<double> fit(pybind11::handle sentences, pybind11::handle images,
                          pybind11::object progress);
  pybind11::array_t<std::int32_t> generateImages(pybind11::handle sentences,
                                                 pybind11::object progress);
  pybind11::list generateText(pybind11::handle images,
                              pybind11::object progress);
  pybind11::dict score(pybind11::handle sentences, pybind11::handle images,
                       pybind11::object progress);
  void save(const std::filesystem::path& path);

  // The stored hyperedges; 0 before a fit.
  std::size_t size();
  // The vertices (one row per hyperedge) and the weights, in vertex order.
  pybind11::tuple population();
  std::string repr() const;

  const LearnerSettings settings;

 private:
  // The population to generate from; RuntimeError when there is none.
  std::shared_ptr<const TrainedPopulation> trained() const;
  std::shared_ptr<const TrainedPopulation> trainedOrNull() const;
  void replace(std::shared_ptr<const TrainedPopulation> population);
  unsigned threadCount() const;

  // Guards `current` alone: held only to copy or replace the pointer, so
  // that a call holding it never waits for the GIL. A call generating from
  // a population keeps its own pointer to it, so a fit on another thread
  // may meanwhile put a new one in place.
  mutable std::mutex guard;
  std::shared_ptr<const TrainedPopulation> current;
};

}  // namespace hn

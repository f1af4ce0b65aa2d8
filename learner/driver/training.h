#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "learner/data/hyperedge_store.h"
#include "learner/data/sentence_image_coupling_sampler.h"
#include "learner/model/hypernetwork.h"
#include "learner/model/queries.h"

namespace hn {

class DataSet;

// What a training is given, as the run script gives it: the numbers as texts,
// which the learner and the sampler read by their own rules.
struct TrainingSettings {
  std::string order;
  std::string order2;
  std::string maxepoch;
  std::string weightUpdateParameter;
  std::string perLine;
  // Replaces the clock as the seed of the generator when given.
  std::optional<unsigned> seed;
};

// The learner wired to the sampler, a store and the engine that answers its
// queries, for one training on a data set: hn_learner's learning run and the
// Python module train through it, so that the same settings, seed and data
// give the same population in both. Borrows the data set, which must outlive
// it.
class Training {
 public:
  using EngineMaker =
      std::function<std::unique_ptr<Queries>(HyperedgeStore& storage)>;

  // Seeds the generator once the sampler has seeded it from the clock, so
  // that every draw of the training follows from `settings.seed`.
  Training(const TrainingSettings& settings, DataSet& dataSet,
           std::unique_ptr<HyperedgeStore> store,
           const EngineMaker& makeEngine);
  Training(const Training&) = delete;
  Training& operator=(const Training&) = delete;

  Hypernetwork learner;
  SentenceImageCouplingSampler sampler;
  const std::unique_ptr<HyperedgeStore> storage;
  // Observes the store: declared after it, so destroyed before it.
  const std::unique_ptr<Queries> queries;
};

}  // namespace hn

#include "learner/driver/query_engine.h"

#include "learner/data/flat_storage.h"
#include "learner/data/simple_stl_map_storage.h"
#include "learner/driver/command_line.h"
#include "learner/index/indexed_queries.h"
#include "learner/model/literal_queries.h"

namespace hn {

std::unique_ptr<HyperedgeStore> makeStore(bool literal) {
  if (literal) return std::make_unique<SimpleSTLMapStorage>();
  return std::make_unique<FlatStorage>();
}

std::unique_ptr<Queries> makeQueries(HyperedgeStore& storage,
                                     const CommandLine& options) {
  return makeQueryEngine(storage, options.literal, options.threadCount());
}

std::unique_ptr<Queries> makeQueryEngine(HyperedgeStore& storage, bool literal,
                                         unsigned threads,
                                         bool exactFragmentWeights) {
  CommandLine threadsOnly;
  threadsOnly.threads = threads;
  const unsigned count = threadsOnly.threadCount();
  if (literal) return std::make_unique<LiteralQueries>(storage, count);
  return std::make_unique<IndexedQueries>(storage, count, exactFragmentWeights);
}

}  // namespace hn

#include "learner/driver/query_engine.h"

#include "learner/data/simple_stl_map_storage.h"
#include "learner/driver/command_line.h"
#include "learner/index/indexed_queries.h"
#include "learner/model/literal_queries.h"

namespace hn {

std::unique_ptr<Queries> makeQueries(SimpleSTLMapStorage& storage,
                                     const CommandLine& options) {
  if (options.literal) {
    return std::make_unique<LiteralQueries>(storage, options.threadCount());
  }
  return std::make_unique<IndexedQueries>(storage, options.threadCount());
}

}  // namespace hn

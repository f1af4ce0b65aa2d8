#pragma once

#include <functional>
#include <memory>

#include "learner/model/queries.h"

namespace hn {

class HyperedgeStore;
struct CommandLine;

// Makes the store a run trains into: the ordered set with --literal, so
// that the definitions run on the plainest store, flat arrays otherwise.
std::unique_ptr<HyperedgeStore> makeStore(bool literal);

// Makes the engine that answers every query of a run on `storage`, on the
// command line's threads: the definitions themselves with --literal, the
// indexes otherwise. The engine borrows the store.
std::unique_ptr<Queries> makeQueries(HyperedgeStore& storage,
                                     const CommandLine& options);
// The same choice from its settings, for callers without a command line
// (the Python module): `threads` 0 means one per core. With
// `exactFragmentWeights`, generated fragments carry the definition's very
// weights, not only weights that print alike (for callers that hand out
// the doubles).
std::unique_ptr<Queries> makeQueryEngine(HyperedgeStore& storage, bool literal,
                                         unsigned threads,
                                         bool exactFragmentWeights = false);

// How a run makes its engine: `makeQueries`, or a test's own.
using QueriesMaker = std::function<std::unique_ptr<Queries>(
    HyperedgeStore& storage, const CommandLine& options)>;

}  // namespace hn

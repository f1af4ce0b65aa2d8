#pragma once

#include <functional>
#include <memory>

#include "learner/model/queries.h"

namespace hn {

class SimpleSTLMapStorage;
struct CommandLine;

// Makes the engine that answers every query of a run on `storage`, on the
// command line's threads: the definitions themselves with --literal, the
// indexes otherwise. The engine borrows the store.
std::unique_ptr<Queries> makeQueries(SimpleSTLMapStorage& storage,
                                     const CommandLine& options);
// The same choice from its settings, for callers without a command line
// (the Python module): `threads` 0 means one per core. With
// `exactFragmentWeights`, generated fragments carry the definition's very
// weights, not only weights that print alike (for callers that hand out
// the doubles).
std::unique_ptr<Queries> makeQueryEngine(SimpleSTLMapStorage& storage,
                                         bool literal, unsigned threads,
                                         bool exactFragmentWeights = false);

// How a run makes its engine: `makeQueries`, or a test's own.
using QueriesMaker = std::function<std::unique_ptr<Queries>(
    SimpleSTLMapStorage& storage, const CommandLine& options)>;

}  // namespace hn

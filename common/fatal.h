#pragma once

#include <string_view>

namespace hn {

// Writes the message and a line end to standard error, flushes it and ends
// the process with status -1. The one way a fatal condition ends a run.
[[noreturn]] void fatal(std::string_view message);

// The message of every allocation failure.
inline constexpr std::string_view kAllocationFailure =
    "cannot allocate memory!!";

// Makes every failed `operator new` end the process through `fatal` with
// kAllocationFailure (status 255) instead of throwing std::bad_alloc, which
// would abort the process wherever it is not caught. A program calls it
// first thing in `main`.
void exitOnAllocationFailure();

}  // namespace hn

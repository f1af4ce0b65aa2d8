#pragma once

#include <string_view>

namespace hn {

// Writes the message and a line end to standard error, flushes it and ends
// the process with status -1. The one way a fatal condition ends a run.
[[noreturn]] void fatal(std::string_view message);

}  // namespace hn

#include "python/long_call.h"

#include <algorithm>
#include <string>
#include <utility>

#include "common/parallel_for.h"

namespace py = pybind11;

namespace hn {
namespace {

// Often enough that Ctrl-C answers at once, seldom enough that taking the
// GIL from another busy Python thread costs nothing that shows.
constexpr std::chrono::milliseconds kCheckInterval{50};

}  // namespace

LongCall::LongCall(py::object progress)
    : progress(std::move(progress)),
      lastCheck(std::chrono::steady_clock::now()) {}

void LongCall::run(const std::function<void()>& work) {
  try {
    const py::gil_scoped_release released;
    work();
  } catch (const Stopped&) {
    throw py::error_already_set();
  }
}

void LongCall::report(std::string_view step, std::size_t done,
                      std::size_t total) {
  const auto now = std::chrono::steady_clock::now();
  if (done < total && now - lastCheck < kCheckInterval) return;
  lastCheck = now;
  withGil([&] {
    if (PyErr_CheckSignals() != 0) throw py::error_already_set();
    if (!progress.is_none()) progress(std::string(step), done, total);
  });
}

void LongCall::withGil(const std::function<void()>& python) {
  const py::gil_scoped_acquire held;
  try {
    python();
  } catch (py::error_already_set& error) {
    // Set again for `run` to raise once the work has unwound.
    error.restore();
    throw Stopped{};
  }
}

void LongCall::forEach(std::string_view step, std::size_t count,
                       unsigned threads,
                       const std::function<void(std::size_t)>& work,
                       const ChunkDone& chunkDone) {
  for (std::size_t first = 0; first < count; first += kChunk) {
    const std::size_t size = std::min(kChunk, count - first);
    parallelFor(size, threads, [&](std::size_t i) { work(first + i); });
    if (chunkDone) chunkDone(first, size);
    report(step, first + size, count);
  }
}

}  // namespace hn

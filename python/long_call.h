#pragma once

#include <pybind11/pybind11.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <string_view>

namespace hn {

// A call of the module that runs its work without the GIL, so that other
// Python threads go on meanwhile. Now and then, and at the end of every step,
// it takes the GIL back briefly to see whether Ctrl-C was pressed and to tell
// the caller's `progress` callable (step, done, total). Either may stop the
// work: a KeyboardInterrupt, or whatever `progress` raised, is then raised
// from `run`.
class LongCall {
 public:
  // `progress` may be None.
  explicit LongCall(pybind11::object progress);

  // Runs `work` without the GIL; called with it.
  void run(const std::function<void()>& work);

  // Called by the work, on the thread that called `run`.
  void report(std::string_view step, std::size_t done, std::size_t total);
  // Runs `python` with the GIL; a Python error it raises stops the work.
  void withGil(const std::function<void()>& python);
  // Calls `work(i)` for every i below `count` on `threads` threads, in
  // chunks, reporting `step` between them; `chunkDone(first, size)`, if
  // given, after each chunk on this thread, so that results can be taken in
  // order.
  using ChunkDone = std::function<void(std::size_t first, std::size_t size)>;
  void forEach(std::string_view step, std::size_t count, unsigned threads,
               const std::function<void(std::size_t)>& work,
               const ChunkDone& chunkDone = {});

  // Items a `forEach` runs between two chances to stop.
  static constexpr std::size_t kChunk = 256;

 private:
  // Thrown through the work when it is to stop; the Python error that says
  // why is set.
  struct Stopped {};

  pybind11::object progress;
  std::chrono::steady_clock::time_point lastCheck;
};

}  // namespace hn

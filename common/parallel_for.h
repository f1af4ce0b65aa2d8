#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <system_error>
#include <thread>
#include <vector>

namespace hn {

// Calls `work(i)` once for every i in [0, count), on up to `threads`
// threads, the calling one among them; each thread takes the next index
// when it is free. Returns when all calls have returned. `work` must be
// safe to call concurrently for different indexes. Fewer threads run when
// the system cannot start more.
template <typename Work>
void parallelFor(std::size_t count, unsigned threads, const Work& work) {
  std::atomic<std::size_t> next{0};
  const auto worker = [&next, count, &work] {
    for (std::size_t i = next++; i < count; i = next++) work(i);
  };
  const std::size_t helpers =
      std::min<std::size_t>(std::max(threads, 1u), count) - (count > 0);
  std::vector<std::jthread> pool;
  pool.reserve(helpers);
  // A thread that cannot be started (no memory left for its stack) leaves
  // its share to the others: the calling thread alone still does all.
  try {
    for (std::size_t i = 0; i < helpers; ++i) pool.emplace_back(worker);
  } catch (const std::system_error&) {
  }
  worker();
}

}  // namespace hn

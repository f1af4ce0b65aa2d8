#include "common/parallel_for.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace {

using hn::parallelFor;

TEST(ParallelFor, CallsEveryIndexExactlyOnceBeforeItReturns) {
  for (const unsigned threads : {0u, 1u, 2u, 7u}) {
    for (const std::size_t count : {0u, 1u, 2u, 5u, 1000u}) {
      std::vector<std::atomic<int>> calls(count);
      parallelFor(count, threads, [&calls](std::size_t i) { ++calls[i]; });
      for (std::size_t i = 0; i < count; ++i) {
        EXPECT_EQ(1, calls[i].load()) << "index " << i << " of " << count
                                      << ", " << threads << " threads";
      }
    }
  }
}

// Slow calls spread over the threads there are, and never more: the
// calling thread is one of them, so one call alone never leaves it.
TEST(ParallelFor, RunsOnAtMostTheThreadsAskedForTheCallingOneAmongThem) {
  for (const unsigned threads : {0u, 1u, 3u}) {
    for (const std::size_t count : {1u, 12u}) {
      std::mutex guard;
      std::set<std::thread::id> used;
      parallelFor(count, threads, [&](std::size_t) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const std::lock_guard lock(guard);
        used.insert(std::this_thread::get_id());
      });
      const std::size_t most = std::max(threads, 1u);
      EXPECT_LE(used.size(), count < most ? count : most)
          << count << " calls, " << threads << " threads";
      if (count == 1) {
        EXPECT_EQ(std::set{std::this_thread::get_id()}, used) << threads;
      }
    }
  }
}

}  // namespace

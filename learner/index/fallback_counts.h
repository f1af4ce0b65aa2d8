#pragma once

#include <atomic>
#include <cstdint>

namespace hn {

// How often the indexed engine's sums, kept in another order than the
// defined one, could not decide an answer alone, so that the undecided
// candidates had to be added up again in the defined order. For the
// benchmark, which prints the fallback rates; the programs never do.
struct FallbackCounts {
  // Image positions decided from sums with bounds, and those of them at
  // which candidates were added up again in voting order (and how many).
  std::atomic<std::uint64_t> positions{0};
  std::atomic<std::uint64_t> positionsRecomputed{0};
  std::atomic<std::uint64_t> candidatesRecomputed{0};
  // Text fragments summed with bounds, and those summed again in order.
  std::atomic<std::uint64_t> fragments{0};
  std::atomic<std::uint64_t> fragmentsRecomputed{0};
  // Images whose text was generated, those whose agreeing hyperedges were
  // found through the postings, by testing every hyperedge or in batches
  // of images sharing a pass over every hyperedge, and the hyperedges
  // those ways tested (a pass counted once for its batch).
  std::atomic<std::uint64_t> images{0};
  std::atomic<std::uint64_t> imagesByPostings{0};
  std::atomic<std::uint64_t> imagesScanned{0};
  std::atomic<std::uint64_t> imagesInBatches{0};
  std::atomic<std::uint64_t> hyperedgesTested{0};

  void reset() {
    positions = 0;
    positionsRecomputed = 0;
    candidatesRecomputed = 0;
    fragments = 0;
    fragmentsRecomputed = 0;
    images = 0;
    imagesByPostings = 0;
    imagesScanned = 0;
    imagesInBatches = 0;
    hyperedgesTested = 0;
  }
};

}  // namespace hn

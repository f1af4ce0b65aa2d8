#pragma once

#include <cstdint>

#include "learner/data/sampler.h"

namespace hn {

// Couples a window of `order` consecutive words of a sentence with `order2`
// randomly drawn vertices of its image, `perLine` hyperedges per pair.
// Draws from the C library generator, which construction seeds from the
// clock: a caller that wants a reproducible run seeds it afterwards.
// Image values must pack into a vertex (0..214747, at most 10000 of them),
// as the reader ensures. Pairs that cannot give a hyperedge (a sentence
// shorter than `order`, no image values while `order2` >= 1) are passed
// over without a draw.
class SentenceImageCouplingSampler : public Sampler {
 public:
  SentenceImageCouplingSampler();

  // Reads "order", "order2" and "perLine"; the cursor is not rewound.
  void initialize() override;
  bool hasNext() override;
  // Draws 1 + `order2` values of `rand`: the window start, then one
  // position per image vertex. Ends the process when the vertex count is
  // not `order` + `order2`.
  void next(Hyperedge& hyperedge) override;

  std::int32_t order2 = 0;
  // Index in `instances` of the current pair's sentence; always even.
  std::uint32_t pairCursor = 0;
  std::uint32_t samplesFromPair = 0;
  std::uint32_t perLine = 0;
};

}  // namespace hn

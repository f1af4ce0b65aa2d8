#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "learner/model/queries.h"

namespace hn {

class Storage;

// A deliberate second implementation of the learner's queries, an oracle:
// the definitions step by step, reading the store only through its two
// defined operations `findMatching` and `getAll`, so that it answers alike
// for any store. No index, cache or shortcut, and no helper shared with the
// indexed engine beyond the data types, so that tests that compare the two
// catch a fault in either. Slow: every window copies its matches out of a
// scan of the whole store, every vote searches the candidate list from the
// front, and text generation copies the whole store for every image. Only
// the pairs of an accuracy pass, independent of each other, are spread
// over `threads` threads.
//
// Borrows the store, which must outlive it.
class LiteralQueries final : public Queries {
 public:
  explicit LiteralQueries(const Storage& storage, unsigned threads = 1)
      : storage(storage), threads(threads) {}

  void forEachMatch(const Hyperedge& pattern,
                    const MatchVisit& visit) const override;
  void inferImageValues(Layout layout, std::span<const std::int32_t> sentence,
                        std::vector<std::int32_t>& values) const override;
  void generateImage(Layout layout, std::span<const std::int32_t> sentence,
                     ImageBuffer& image) const override;
  void generateText(Layout layout, const ImageBuffer& image,
                    std::vector<Hyperedge>& fragments) const override;
  std::vector<std::uint32_t> imageMismatches(
      Layout layout, const InstanceList& instances,
      const PairsDone& pairsDone) override;
  bool generatesImage(Layout layout, std::size_t pair,
                      std::span<const std::int32_t> sentence,
                      const ImageBuffer& image) override;
  // Each sentence keeps its own image: every question is answered afresh.
  std::vector<std::size_t> sharedImages(
      std::span<const InstanceView> sentences) const override;
  // Each image keeps its own text.
  std::vector<std::size_t> sharedTexts(
      std::span<const InstanceView> images) const override;

 private:
  std::uint32_t mismatches(Layout layout,
                           std::span<const std::int32_t> sentence,
                           const ImageBuffer& image) const;

  const Storage& storage;
  const unsigned threads;
};

}  // namespace hn

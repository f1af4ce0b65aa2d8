#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "learner/data/hyperedge.h"
#include "learner/data/image.h"
#include "learner/data/instance_list.h"

namespace hn {

// The sentence–image layout of the stored hyperedges: `sentenceSlots` words
// (order), then `imageSlots` packed image vertices (order2).
struct Layout {
  std::uint32_t sentenceSlots = 0;
  std::uint32_t imageSlots = 0;
  bool operator==(const Layout&) const = default;
};

// How the learner's questions to its population are answered. The learner
// asks; an engine answers, either by the definitions (`LiteralQueries`) or
// through indexes that give the same answers faster. The program picks one
// engine for a whole run.
//
// The const questions may be asked from several threads at once while the
// store does not change.
class Queries {
 public:
  virtual ~Queries() = default;

  // Calls `visit` with every stored hyperedge that matches `pattern` (as
  // `Storage::findMatching` finds them), in the ranking order.
  using MatchVisit =
      std::function<void(std::span<const std::int32_t> vertices, double)>;
  virtual void forEachMatch(const Hyperedge& pattern,
                            const MatchVisit& visit) const = 0;

  // Image inference: per image position that any matching hyperedge votes
  // for, its best-ranked packed vertex, best first.
  virtual void inferImageValues(Layout layout,
                                std::span<const std::int32_t> sentence,
                                std::vector<std::int32_t>& values) const = 0;

  // Writes the inferred values into `image`; positions without a vote keep
  // what the caller put there.
  virtual void generateImage(Layout layout,
                             std::span<const std::int32_t> sentence,
                             ImageBuffer& image) const = 0;

  // Merges into `fragments` the sentence parts of the stored hyperedges
  // whose image vertices all agree with `image`, then sorts them by rank.
  virtual void generateText(Layout layout, const ImageBuffer& image,
                            std::vector<Hyperedge>& fragments) const = 0;

  // `generateText` for each of `images`, into the fragments of the same
  // place; an engine may answer many images faster than one by one.
  virtual void generateTexts(
      Layout layout, std::span<const ImageBuffer> images,
      std::span<std::vector<Hyperedge>> fragments) const {
    for (std::size_t k = 0; k < images.size(); ++k) {
      generateText(layout, images[k], fragments[k]);
    }
  }

  // For every pair k of `instances` (sentence 2k, image 2k + 1), the number
  // of positions at which the image generated from its sentence differs
  // from its image (read by `imageBufferOf`). `pairsDone` hears now and then
  // how many pairs are done.
  using PairsDone = std::function<void(std::size_t done)>;
  virtual std::vector<std::uint32_t> imageMismatches(
      Layout layout, const InstanceList& instances,
      const PairsDone& pairsDone) = 0;

  // Whether the image generated from `sentence` equals `image` at every
  // position. `pair` names the question, so that an engine may start where
  // it last found the pair's image wrong.
  virtual bool generatesImage(Layout layout, std::size_t pair,
                              std::span<const std::int32_t> sentence,
                              const ImageBuffer& image) = 0;

  // For each of `sentences`, the index of the first of them whose generated
  // image it may take instead of its own: an equal sentence, or itself.
  virtual std::vector<std::size_t> sharedImages(
      std::span<const InstanceView> sentences) const = 0;

  // For each of `images`, the index of the first of them whose generated
  // text it may take instead of its own: an equal image, or itself.
  virtual std::vector<std::size_t> sharedTexts(
      std::span<const InstanceView> images) const = 0;
};

}  // namespace hn

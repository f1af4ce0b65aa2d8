#pragma once

#include <cstdint>
#include <vector>

#include "learner/data/hyperedge.h"
#include "learner/model/hypernetwork.h"

namespace hn {

class Storage;

// Image-to-text generation over a snapshot of the store: the hyperedges of
// the run's layout laid out side by side in vertex order, so that
// generating for many images scans contiguous memory instead of the tree.
// The snapshot does not follow later changes of the store.
class TextGenerator {
 public:
  TextGenerator(const Storage& storage, std::uint32_t sentenceSlots,
                std::uint32_t imageSlots);

  // Merges into `fragments` the sentence parts of the hyperedges whose image
  // vertices all agree with `image`: into the first entry that `matches`
  // the part, or as a new entry. Then sorts `fragments` by rank.
  void generate(const ImageBuffer& image,
                std::vector<Hyperedge>& fragments) const;

 private:
  bool agreesWithImage(const std::int32_t* hyperedge,
                       const ImageBuffer& image) const;

  std::uint32_t sentenceSlots;
  std::uint32_t length;
  // Hyperedge i's vertices start at vertices[i * length].
  std::vector<std::int32_t> vertices;
  std::vector<double> weights;
};

}  // namespace hn

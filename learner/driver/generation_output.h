#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <vector>

#include "learner/data/hyperedge.h"
#include "learner/model/hypernetwork.h"

namespace hn {

class DataSet;

// Called after each pair is written, with the pair's number and what was
// generated for it.
using ImageWritten =
    std::function<void(std::size_t pair, const ImageBuffer& generated)>;
using TextWritten = std::function<void(
    std::size_t pair, const std::vector<Hyperedge>& fragments)>;

// Text to image: for every pair, "line : k" and the 4800 values generated
// from its sentence. `buffer` is the one image reused for every pair.
void writeGeneratedImages(std::ostream& out, const Hypernetwork& learner,
                          DataSet& dataSet, ImageBuffer& buffer,
                          const ImageWritten& written = {});

// Image to text: for every pair, "line : k" and the fragments generated
// from its image, heaviest first, from the learner's store as it stands.
void writeGeneratedTexts(std::ostream& out, const Hypernetwork& learner,
                         DataSet& dataSet, ImageBuffer& buffer,
                         const TextWritten& written = {});

}  // namespace hn

#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <vector>

#include "learner/data/hyperedge.h"
#include "learner/data/instance_list.h"
#include "learner/model/hypernetwork.h"

namespace hn {

class DataSet;

// Called after each pair is written, with the pair's number and what was
// generated for it.
using ImageWritten =
    std::function<void(std::size_t pair, const ImageBuffer& generated)>;
using TextWritten = std::function<void(
    std::size_t pair, const std::vector<Hyperedge>& fragments)>;

// Both writers generate a batch of pairs at a time on the learner's threads
// and write them in pair order, each line flushed as it is written; the
// output does not depend on the number of threads. Generation only reads
// the learner's store. A failed write stops the writing after its batch;
// `out` tells the caller.

// Text to image: for every pair, "line : k" and the 4800 values generated
// from its sentence.
void writeGeneratedImages(std::ostream& out, const Hypernetwork& learner,
                          DataSet& dataSet, const ImageWritten& written = {});

// Image to text: for every pair, "line : k" and the fragments generated
// from its image, heaviest first, from the learner's store as it stands.
void writeGeneratedTexts(std::ostream& out, const Hypernetwork& learner,
                         DataSet& dataSet, const TextWritten& written = {});

// The fragments generated from one instance vector read as an image:
// positions past a shorter image hold -1.
ImageBuffer imageOf(const InstanceView& values);

}  // namespace hn

#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <vector>

#include "learner/data/hyperedge.h"
#include "learner/data/image.h"
#include "learner/data/instance_list.h"
#include "learner/driver/output_flushing.h"
#include "learner/model/queries.h"

namespace hn {

// Called after each pair is written, with the pair's number and what was
// generated for it.
using ImageWritten =
    std::function<void(std::size_t pair, const ImageBuffer& generated)>;
using TextWritten = std::function<void(
    std::size_t pair, const std::vector<Hyperedge>& fragments)>;

// Both writers ask `queries` for a batch of pairs at a time on `threads`
// threads, while the batch before is written, and write the pairs in
// order, each line or each whole record flushed as `flushing` says; the
// output does not depend on the number of threads, nor on `flushing`. With
// whole records, SIGTERM, SIGINT and SIGHUP wait for the record under way
// (see TerminationDeferral). The store must not change meanwhile. A failed
// write stops the writing after its batch; `out` tells the caller.

// Text to image: for every pair of `instances`, "line : k" and the 4800
// values generated from its sentence. Pairs whose images the
// engine lets them share (`Queries::sharedImages`) are generated once.
void writeGeneratedImages(std::ostream& out, const Queries& queries,
                          Layout layout, const InstanceList& instances,
                          unsigned threads, OutputFlushing flushing,
                          const ImageWritten& written = {});

// Image to text: for every pair of `instances`, "line : k" and the
// fragments generated from its image, heaviest first. Pairs
// whose texts the engine lets them share (`Queries::sharedTexts`) are
// generated once.
void writeGeneratedTexts(std::ostream& out, const Queries& queries,
                         Layout layout, const InstanceList& instances,
                         unsigned threads, OutputFlushing flushing,
                         const TextWritten& written = {});

}  // namespace hn

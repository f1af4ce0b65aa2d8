#pragma once

#include <cstdint>
#include <vector>

#include "learner/data/hyperedge.h"
#include "learner/model/hypernetwork.h"

namespace hn {

class Storage;

// Image inference and text generation exactly as defined, with no index,
// cache or shortcut: every window scans the whole store, every vote
// searches the candidate list from the front, text generation filters and
// merges the whole store for every image. Slow; the learner uses it when
// asked to (`Hypernetwork::literal`), and tests and benchmarks compare the
// fast paths against it.
void literalInferImageValues(const Storage& storage, std::uint32_t order,
                             std::uint32_t order2,
                             const std::vector<std::int32_t>& sentence,
                             std::vector<std::int32_t>& values);

void literalGenerateText(const Storage& storage, std::uint32_t order,
                         std::uint32_t order2, const ImageBuffer& image,
                         std::vector<Hyperedge>& fragments);

}  // namespace hn

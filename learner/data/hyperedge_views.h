#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "learner/data/hyperedge.h"
#include "learner/data/population.h"

namespace hn {

// What the stores share in answering matches from borrowed views.

// Number of leading slots of the pattern that are not wildcards.
std::uint32_t concretePrefixLength(const Hyperedge& pattern);

// Sorts views that are in vertex order into the ranking order. Equal
// weights are already in vertex order, so a stable sort by weight alone is
// enough, and it never has to look at the vertices.
void rankVertexOrdered(std::vector<HyperedgeView>& views);

std::vector<Hyperedge> copiesOf(const std::vector<HyperedgeView>& views);

}  // namespace hn

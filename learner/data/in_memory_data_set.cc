#include "learner/data/in_memory_data_set.h"

#include <utility>

#include "learner/data/hyperedge.h"
#include "learner/data/pair_rules.h"

namespace hn {

InMemoryDataSet::InMemoryDataSet(InstanceList rows) : rows(std::move(rows)) {}

void InMemoryDataSet::load() {
  if (loaded) return;
  order = getInt("order");
  const bool verticesSampled = getInt("order2") >= 1;
  std::vector<std::size_t> taken;
  for (std::size_t row = 0; 2 * row + 1 < rows.size(); ++row) {
    const InstanceView sentence = rows[2 * row];
    if (!hasWindow(sentence, order)) {
      skipped.push_back(
          {row, "the sentence has " + std::to_string(sentence.size()) +
                    " words, fewer than order " + std::to_string(order)});
      continue;
    }
    if (std::string fault = imageFault(rows[2 * row + 1], verticesSampled);
        !fault.empty()) {
      skipped.push_back({row, std::move(fault)});
      continue;
    }
    if (!firstWildcardRow && holdsWildcard(sentence.values())) {
      firstWildcardRow = row;
    }
    taken.push_back(row);
  }
  // A sentence without an image after it makes no pair, as a sentence line
  // past the end of the image file makes none.
  if (rows.size() % 2 != 0) {
    skipped.push_back({rows.size() / 2, "the sentence has no image"});
  }
  // Most data sets lose no pair: their rows become the instances as they
  // are, so that the values exist once however many pairs there are.
  if (skipped.empty()) {
    instances = std::move(rows);
  } else {
    for (const std::size_t row : taken) {
      instances.push_back(rows[2 * row].values());
      instances.push_back(rows[2 * row + 1].values());
    }
  }
  rows.clear();
  loaded = true;
}

}  // namespace hn

#pragma once

#include <pybind11/pybind11.h>

#include <string>
#include <vector>

namespace hn {

// hn.assemble: for every record of `records` (each a sequence of
// (words, weight) pairs, heaviest first, as Learner.generate_text gives
// them), the line sentence_assembler writes for the same fragments, without
// its line break: the fragments weighing 1.0 or more chained into one
// sentence, each word of `dictionary` (indexed by word value) followed by a
// blank. ValueError for words that are not 32-bit integers or weights that
// are not numbers. Needs the GIL.
std::vector<std::string> assemble(pybind11::handle records,
                                  const std::vector<std::string>& dictionary,
                                  bool wholeFirstFragment);

}  // namespace hn

#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "learner/data/data_set.h"

namespace hn {

// Reads pairs from two comma-separated files named by the parameter
// "filename" ("sentences.csv,images.csv"), paired by line number.
class BimodalCSVFileWrapper : public DataSet {
 public:
  void load() override;

  // Names split out of "filename"; appended to by every `load`, never
  // cleared, so a second `load` sees four names.
  std::vector<std::string> filenameList;
};

// Appends every maximal run of characters not in `separators` to `tokens`:
// runs of separators count as one and empty fields never appear.
void splitTokens(std::string_view text, std::string_view separators,
                 std::vector<std::string>& tokens);

}  // namespace hn

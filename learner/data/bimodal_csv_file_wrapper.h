#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "learner/data/data_set.h"

namespace hn {

inline constexpr char kWildcardSentenceMessage[] =
    "sentence value -1 is the wildcard: its hyperedges match every window, "
    "so it changes the output of every pair (said for the first such line "
    "only)";

// Reads pairs from two comma-separated files named by the parameter
// "filename" ("sentences.csv,images.csv"), paired by line number.
class BimodalCSVFileWrapper : public DataSet {
 public:
  void load() override;

  // What `load` does once both files are open: appends the pairs read from
  // the two streams, using `order` and the parameter "order2", and sets
  // `loaded`. The names only label the messages about lines it rejects.
  //
  // Image lines that would break the learner are not taken: a pair whose
  // image has no values while image vertices are sampled ("order2" >= 1),
  // more values than an image buffer holds, or a value that does not pack
  // into a vertex is skipped with a message; a missing image line stops the
  // reading with a message and keeps the pairs read so far. A read error
  // in either stream stops the reading with a message, takes none of the
  // pairs it read and leaves `loaded` false.
  //
  // The sentence value -1 is the wildcard: it is kept, and the first
  // sentence line taken that holds it is named once on standard error with
  // kWildcardSentenceMessage, since its hyperedges match every window and
  // so change the output of every other pair.
  void readPairs(std::istream& sentences, std::istream& images,
                 std::string_view sentenceFile, std::string_view imageFile);

  // For generation from one side alone: each line of the one file read
  // becomes a pair whose other side is empty, numbered densely as in
  // `readPairs`, which also decides the lines skipped (a sentence shorter
  // than `order`, silently; an image the learner cannot take, with a
  // message). Sets `loaded`; a read error takes nothing of the reading and
  // leaves `loaded` false.
  void readSentencesAlone(std::istream& sentences);
  void readImagesAlone(std::istream& images, std::string_view imageFile);

  // Names split out of "filename"; appended to by every `load`, never
  // cleared, so a second `load` sees four names.
  std::vector<std::string> filenameList;
};

// Appends every maximal run of characters not in `separators` to `tokens`:
// runs of separators count as one and empty fields never appear.
void splitTokens(std::string_view text, std::string_view separators,
                 std::vector<std::string>& tokens);

}  // namespace hn

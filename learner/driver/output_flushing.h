#pragma once

namespace hn {

// How the generation writers hand their output to the stream. The bytes
// written are the same either way; what differs is what a reader of the
// file sees meanwhile, and what a run stopped part way leaves.
enum class OutputFlushing {
  // Every line flushed as it is written: a reader sees each line at once,
  // and a stopped run leaves whole lines but may end inside a record.
  kEveryLine,
  // Every record ("line : k" and all its lines) handed over in one write
  // and flushed: a file stream passes it to the file in one call, so a
  // stopped run leaves whole records, and a long record costs one call
  // instead of one per line.
  kWholeRecords,
};

}  // namespace hn

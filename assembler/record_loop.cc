#include "assembler/record_loop.h"

#include <istream>
#include <optional>
#include <utility>

#include "assembler/fragment.h"
#include "assembler/fragment_reader.h"
#include "assembler/sentence_assembly.h"
#include "assembler/sentence_writer.h"
#include "common/text_line.h"

namespace hn {

void assembleRecords(std::istream& in,
                     const std::vector<std::string>& dictionary,
                     std::ostream& out, Seeding seeding) {
  std::string line;
  if (!readLine(in, line)) return;

  std::vector<Fragment> fragments;
  while (readLine(in, line)) {
    if (isRecordHeader(line)) {
      // A failed write ends the run: the caller reports it.
      if (!out) return;
      writeSentence(assembleSentence(std::exchange(fragments, {}), seeding),
                    dictionary, out);
      continue;
    }
    std::optional<Fragment> fragment = parseFragmentLine(line);
    if (fragment && fragment->weight >= kMinimumWeight) {
      fragments.push_back(std::move(*fragment));
    }
  }
  writeSentence(assembleSentence(std::move(fragments), seeding), dictionary,
                out);
}

}  // namespace hn

#include "assembler/sentence_writer.h"

#include <cstddef>
#include <ostream>

namespace hn {
namespace {

constexpr std::int32_t kFirstNonWordValue = 1000;

}  // namespace

void writeSentence(const std::vector<std::int32_t>& sentence,
                   const std::vector<std::string>& dictionary,
                   std::ostream& out) {
  for (const std::int32_t value : sentence) {
    if (value >= kFirstNonWordValue) continue;
    if (value >= 0 && static_cast<std::size_t>(value) < dictionary.size()) {
      out << dictionary[static_cast<std::size_t>(value)];
    } else {
      out << kUnknownWord;
    }
    out << ' ';
  }
  out << '\n' << std::flush;
}

}  // namespace hn

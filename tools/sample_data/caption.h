#pragma once

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string_view>
#include <vector>

#include "tools/sample_data/sample_kind.h"
#include "tools/sample_data/scene.h"

namespace hn {

using CaptionWords = std::vector<std::string_view>;

// "a <size> <colour> <shape> at the <vertical> <horizontal>", cut to the
// caption length of the kind; for photos "a <size> <colour> <shape> on a
// <tone> background".
CaptionWords captionWords(const Scene& scene,
                          SampleKind kind = SampleKind::kScenes);

// The dictionary of a kind in value order: the word of value v is entry
// v - 1, since the assembler reserves value 0 for a word of its own. The
// dictionaries of all kinds agree on the values of the words they share.
std::span<const std::string_view> dictionaryWords(SampleKind kind);

// The value of a word of any kind's dictionary; 0 for any other word.
std::int32_t wordValue(std::string_view word);

// One dictionary word per line, value 1 first: the layout of `dic.txt`.
void writeDictionary(std::ostream& out, SampleKind kind);

}  // namespace hn

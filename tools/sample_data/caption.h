#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string_view>

#include "tools/sample_data/scene.h"

namespace hn {

// Every caption reads "a <size> <colour> <shape> at the <vertical>
// <horizontal>".
inline constexpr std::size_t kCaptionLength = 8;

using CaptionWords = std::array<std::string_view, kCaptionLength>;

CaptionWords captionWords(const Scene& scene);

// The dictionary in value order: the word of value v is entry v - 1, since
// the assembler reserves value 0 for a word of its own.
std::span<const std::string_view> dictionaryWords();

// The value of a dictionary word; 0 for a word outside the dictionary.
std::int32_t wordValue(std::string_view word);

// One dictionary word per line, value 1 first: the layout of `dic.txt`.
void writeDictionary(std::ostream& out);

}  // namespace hn

#pragma once

#include <array>
#include <string_view>

namespace hn {

// A tiny bitmap font for captions: every glyph is 3 pixels wide and 5 high.
// Letters are drawn as capitals; a character without a glyph shows as '?'.
inline constexpr int kGlyphWidth = 3;
inline constexpr int kGlyphHeight = 5;

// The glyph's rows, top first, each kGlyphWidth characters of '#' (ink) and
// '.' (paper).
using GlyphRows = std::array<std::string_view, kGlyphHeight>;

const GlyphRows& glyphFor(char character);

}  // namespace hn

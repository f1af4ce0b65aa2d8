#include "tools/sample_data/caption.h"

#include <algorithm>
#include <ostream>

namespace hn {
namespace {

constexpr std::array<std::string_view, 18> kDictionary = {
    "a",      "big",    "small",    "red",   "green",  "blue",
    "square", "circle", "triangle", "cross", "at",     "the",
    "top",    "middle", "bottom",   "left",  "center", "right"};

// Indexed by the enumerators of scene.h, in their declared order.
constexpr std::array<std::string_view, 2> kSizeWords = {"big", "small"};
constexpr std::array<std::string_view, 3> kColourWords = {"red", "green",
                                                          "blue"};
constexpr std::array<std::string_view, 4> kShapeWords = {"square", "circle",
                                                         "triangle", "cross"};
constexpr std::array<std::string_view, 3> kVerticalWords = {"top", "middle",
                                                            "bottom"};
constexpr std::array<std::string_view, 3> kHorizontalWords = {"left", "center",
                                                              "right"};

template <std::size_t count, typename Enumeration>
std::string_view wordFor(const std::array<std::string_view, count>& words,
                         Enumeration value) {
  return words.at(static_cast<std::size_t>(value));
}

}  // namespace

CaptionWords captionWords(const Scene& scene, SampleKind kind) {
  CaptionWords words = {"a",
                        wordFor(kSizeWords, scene.size),
                        wordFor(kColourWords, scene.colour),
                        wordFor(kShapeWords, scene.shape),
                        "at",
                        "the",
                        wordFor(kVerticalWords, scene.vertical),
                        wordFor(kHorizontalWords, scene.horizontal)};
  words.resize(sample::captionLength(kind));
  return words;
}

std::span<const std::string_view> dictionaryWords() { return kDictionary; }

std::int32_t wordValue(std::string_view word) {
  const auto found = std::find(kDictionary.begin(), kDictionary.end(), word);
  if (found == kDictionary.end()) return 0;
  return static_cast<std::int32_t>(found - kDictionary.begin()) + 1;
}

void writeDictionary(std::ostream& out) {
  for (const std::string_view word : kDictionary) out << word << '\n';
}

}  // namespace hn

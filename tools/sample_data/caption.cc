#include "tools/sample_data/caption.h"

#include <algorithm>
#include <ostream>

namespace hn {
namespace {

// The words of photos come last, so that every word keeps its value in
// every kind and the dictionary of scenes and shapes stays as it was.
constexpr std::array<std::string_view, 22> kDictionary = {
    "a",      "big",    "small",    "red",       "green",  "blue",
    "square", "circle", "triangle", "cross",     "at",     "the",
    "top",    "middle", "bottom",   "left",      "center", "right",
    "on",     "dark",   "light",    "background"};
constexpr std::size_t kWordsOfScenesAndShapes = 18;

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
constexpr std::array<std::string_view, 2> kToneWords = {"dark", "light"};

template <std::size_t count, typename Enumeration>
std::string_view wordFor(const std::array<std::string_view, count>& words,
                         Enumeration value) {
  return words.at(static_cast<std::size_t>(value));
}

CaptionWords photoCaptionWords(const Scene& scene) {
  return {"a",
          wordFor(kSizeWords, scene.size),
          wordFor(kColourWords, scene.colour),
          wordFor(kShapeWords, scene.shape),
          "on",
          "a",
          wordFor(kToneWords, scene.background.tone),
          "background"};
}

}  // namespace

CaptionWords captionWords(const Scene& scene, SampleKind kind) {
  if (kind == SampleKind::kPhotos) return photoCaptionWords(scene);
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

std::span<const std::string_view> dictionaryWords(SampleKind kind) {
  const std::span<const std::string_view> words = kDictionary;
  if (kind == SampleKind::kPhotos) return words;
  return words.first(kWordsOfScenesAndShapes);
}

std::int32_t wordValue(std::string_view word) {
  const auto found = std::find(kDictionary.begin(), kDictionary.end(), word);
  if (found == kDictionary.end()) return 0;
  return static_cast<std::int32_t>(found - kDictionary.begin()) + 1;
}

void writeDictionary(std::ostream& out, SampleKind kind) {
  for (const std::string_view word : dictionaryWords(kind)) {
    out << word << '\n';
  }
}

}  // namespace hn

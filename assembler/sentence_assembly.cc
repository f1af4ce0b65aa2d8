#include "assembler/sentence_assembly.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <utility>

namespace hn {
namespace {

// Whether the sentence holds the n - 1 values that either test compares.
bool canOverlap(const Fragment& fragment,
                const std::vector<std::int32_t>& sentence) {
  return !fragment.values.empty() &&
         fragment.values.size() - 1 <= sentence.size();
}

// Applies the first extension the list allows, in list order and front
// before back, and uses its fragment up. False once nothing fits.
bool extendOnce(std::vector<Fragment>& fragments,
                std::vector<std::int32_t>& sentence) {
  for (auto it = fragments.begin(); it != fragments.end(); ++it) {
    if (matchesFront(*it, sentence)) {
      sentence.insert(sentence.begin(), it->values.front());
    } else if (matchesBack(*it, sentence)) {
      sentence.push_back(it->values.back());
    } else {
      continue;
    }
    fragments.erase(it);
    return true;
  }
  return false;
}

}  // namespace

std::vector<std::int32_t> assembleSentence(std::vector<Fragment> fragments) {
  std::erase_if(fragments, [](const Fragment& f) { return f.values.empty(); });
  if (fragments.empty()) return {};

  const std::size_t length = fragments.front().values.size();
  std::vector<std::int32_t> sentence = std::move(fragments.front().values);
  sentence.pop_back();
  fragments.erase(fragments.begin());
  std::erase_if(fragments, [length](const Fragment& f) {
    return f.values.size() != length;
  });

  while (extendOnce(fragments, sentence)) {
  }
  return sentence;
}

bool matchesFront(const Fragment& fragment,
                  const std::vector<std::int32_t>& sentence) {
  if (!canOverlap(fragment, sentence)) return false;
  return std::equal(std::next(fragment.values.begin()), fragment.values.end(),
                    sentence.begin());
}

bool matchesBack(const Fragment& fragment,
                 const std::vector<std::int32_t>& sentence) {
  if (!canOverlap(fragment, sentence)) return false;
  const std::size_t overlap = fragment.values.size() - 1;
  return std::equal(fragment.values.begin(), std::prev(fragment.values.end()),
                    std::prev(sentence.end(), overlap));
}

}  // namespace hn

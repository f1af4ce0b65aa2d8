#include "assembler/sentence_assembly.h"

#include <algorithm>
#include <cstddef>
#include <deque>
#include <iterator>
#include <limits>
#include <map>
#include <utility>

namespace hn {
namespace {

using Run = std::vector<std::int32_t>;

constexpr std::size_t kNoPosition = std::numeric_limits<std::size_t>::max();

// Whether the sentence holds the n - 1 values that either test compares.
bool canOverlap(const Fragment& fragment,
                const std::vector<std::int32_t>& sentence) {
  return !fragment.values.empty() &&
         fragment.values.size() - 1 <= sentence.size();
}

// Sets aside the fragments without values, takes the seed out of the list
// and discards the fragments of another length than the seed's. Returns the
// seed's values that `seeding` keeps; the list keeps its order.
Run seedSentence(std::vector<Fragment>& fragments, Seeding seeding) {
  std::erase_if(fragments, [](const Fragment& f) { return f.values.empty(); });
  if (fragments.empty()) return {};

  const std::size_t length = fragments.front().values.size();
  Run seed = std::move(fragments.front().values);
  if (seeding == Seeding::kAllButLastValue) seed.pop_back();
  fragments.erase(fragments.begin());
  std::erase_if(fragments, [length](const Fragment& f) {
    return f.values.size() != length;
  });
  return seed;
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

// Numbers each distinct run of n - 1 values, so that the ends of the
// sentence and of the fragments are compared as numbers.
class RunNumbers {
 public:
  std::size_t numberOf(Run run) {
    return numbers_.try_emplace(std::move(run), numbers_.size()).first->second;
  }
  std::size_t size() const { return numbers_.size(); }

 private:
  std::map<Run, std::size_t> numbers_;
};

// List positions, ascending, of the fragments that share one run. Used-up
// fragments are skipped when met rather than removed.
struct Candidates {
  std::vector<std::size_t> positions;
  std::size_t next = 0;
};

// Where each fragment of the list can extend the sentence.
struct FragmentIndex {
  // Numbers of each fragment's first and last n - 1 values.
  std::vector<std::size_t> headRun;
  std::vector<std::size_t> tailRun;
  // By run number: the fragments ending with it (front candidates for a
  // sentence starting with it) and those starting with it (back candidates
  // for a sentence ending with it).
  std::vector<Candidates> endingWith;
  std::vector<Candidates> startingWith;
  std::vector<bool> used;
};

FragmentIndex indexFragments(const std::vector<Fragment>& fragments,
                             RunNumbers& numbers) {
  FragmentIndex index;
  for (const Fragment& f : fragments) {
    index.headRun.push_back(
        numbers.numberOf(Run(f.values.begin(), std::prev(f.values.end()))));
    index.tailRun.push_back(
        numbers.numberOf(Run(std::next(f.values.begin()), f.values.end())));
  }
  index.endingWith.resize(numbers.size());
  index.startingWith.resize(numbers.size());
  for (std::size_t position = 0; position < fragments.size(); ++position) {
    index.endingWith[index.tailRun[position]].positions.push_back(position);
    index.startingWith[index.headRun[position]].positions.push_back(position);
  }
  index.used.assign(fragments.size(), false);
  return index;
}

// The earliest fragment still in the list among the candidates, or
// kNoPosition.
std::size_t firstUnused(Candidates& candidates, const std::vector<bool>& used) {
  while (candidates.next < candidates.positions.size() &&
         used[candidates.positions[candidates.next]]) {
    ++candidates.next;
  }
  return candidates.next < candidates.positions.size()
             ? candidates.positions[candidates.next]
             : kNoPosition;
}

}  // namespace

// Gives the literal scan's result because every fragment left has n values
// and the sentence never holds fewer than n - 1, so the front test holds
// exactly for the fragments ending with the sentence's first n - 1 values
// and the back test for those starting with its last n - 1 values. The
// earliest of both candidate lists is the one the scan would reach first,
// and on the same fragment the front wins as the scan tries it first.
// Extending at the front makes the fragment's first n - 1 values the
// sentence's first ones and leaves its last ones alone; the back likewise.
std::vector<std::int32_t> assembleSentence(std::vector<Fragment> fragments,
                                           Seeding seeding) {
  const Run seed = seedSentence(fragments, seeding);
  // The sentence's ends are its first and last n - 1 values: the whole
  // seed, unless it kept all n.
  const std::size_t overlap =
      seeding == Seeding::kWholeFragment && !seed.empty() ? seed.size() - 1
                                                          : seed.size();
  RunNumbers numbers;
  std::size_t frontRun =
      numbers.numberOf(Run(seed.begin(), std::next(seed.begin(), overlap)));
  std::size_t backRun =
      numbers.numberOf(Run(std::prev(seed.end(), overlap), seed.end()));
  FragmentIndex index = indexFragments(fragments, numbers);

  std::deque<std::int32_t> sentence(seed.begin(), seed.end());
  for (;;) {
    const std::size_t front =
        firstUnused(index.endingWith[frontRun], index.used);
    const std::size_t back =
        firstUnused(index.startingWith[backRun], index.used);
    if (front == kNoPosition && back == kNoPosition) break;
    if (front <= back) {
      sentence.push_front(fragments[front].values.front());
      frontRun = index.headRun[front];
      index.used[front] = true;
    } else {
      sentence.push_back(fragments[back].values.back());
      backRun = index.tailRun[back];
      index.used[back] = true;
    }
  }
  return {sentence.begin(), sentence.end()};
}

std::vector<std::int32_t> assembleSentenceLiterally(
    std::vector<Fragment> fragments, Seeding seeding) {
  std::vector<std::int32_t> sentence = seedSentence(fragments, seeding);
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

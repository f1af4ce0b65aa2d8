// Time taken to assemble one record of many fragments. Run
// `hn_assembler_bench [fragments]` (100000 by default); one line is printed
// per kind of record, with the time of the rescanning reference beside that
// of the indexed assembly.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "assembler/fragment.h"
#include "assembler/sentence_assembly.h"

namespace {

constexpr std::size_t kDefaultFragments = 100000;

hn::Fragment fragment(std::vector<std::int32_t> values) {
  return hn::Fragment{std::move(values), 1.0};
}

// Three-value windows of one long chain of distinct values, the middle one
// first and the rest shuffled: every fragment fits exactly once, wherever it
// stands in the list. The seed keeps only two values of its window, so a
// second copy of that window lets the sentence grow at the back too.
std::vector<hn::Fragment> shuffledChain(std::size_t count) {
  if (count < 2) return std::vector<hn::Fragment>(count, fragment({0, 1, 2}));
  std::vector<hn::Fragment> fragments;
  fragments.reserve(count);
  for (std::size_t i = 0; i + 1 < count; ++i) {
    const auto first = static_cast<std::int32_t>(i);
    fragments.push_back(fragment({first, first + 1, first + 2}));
  }
  const std::size_t middle = fragments.size() / 2;
  fragments.push_back(fragments[middle]);
  std::swap(fragments.front(), fragments[middle]);
  std::mt19937 generator(1);
  std::shuffle(std::next(fragments.begin()), fragments.end(), generator);
  return fragments;
}

// Random three-value fragments over a four-word vocabulary: many fit at
// once, and many fit only after the sentence has grown.
std::vector<hn::Fragment> smallVocabulary(std::size_t count) {
  std::mt19937 generator(2);
  std::uniform_int_distribution<std::int32_t> word(0, 3);
  std::vector<hn::Fragment> fragments;
  fragments.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    fragments.push_back(
        fragment({word(generator), word(generator), word(generator)}));
  }
  return fragments;
}

// One-value fragments: each goes to the front of the sentence.
std::vector<hn::Fragment> oneValue(std::size_t count) {
  std::vector<hn::Fragment> fragments;
  fragments.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    fragments.push_back(fragment({static_cast<std::int32_t>(i % 1000)}));
  }
  return fragments;
}

using Assemble = std::vector<std::int32_t> (*)(std::vector<hn::Fragment>,
                                               hn::Seeding);

struct Timing {
  std::vector<std::int32_t> sentence;
  double seconds = 0.0;
};

Timing timeAssembly(Assemble assemble,
                    const std::vector<hn::Fragment>& fragments) {
  const auto start = std::chrono::steady_clock::now();
  Timing timing{assemble(fragments, hn::Seeding::kAllButLastValue)};
  const std::chrono::duration<double> elapsed =
      std::chrono::steady_clock::now() - start;
  timing.seconds = elapsed.count();
  return timing;
}

// Times the rescanning reference and the indexed assembly on one record.
void report(const std::string& name,
            const std::vector<hn::Fragment>& fragments) {
  const Timing literal = timeAssembly(hn::assembleSentenceLiterally, fragments);
  const Timing indexed = timeAssembly(hn::assembleSentence, fragments);
  std::cout << name << ": " << fragments.size() << " fragments, sentence of "
            << indexed.sentence.size() << " values; rescanning "
            << literal.seconds << " s, indexed " << indexed.seconds << " s"
            << (literal.sentence == indexed.sentence ? "" : "; RESULTS DIFFER")
            << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t count =
      argc > 1 ? std::strtoul(argv[1], nullptr, 10) : kDefaultFragments;
  report("shuffled chain", shuffledChain(count));
  report("four-word vocabulary", smallVocabulary(count));
  report("one-value fragments", oneValue(count));
  return 0;
}

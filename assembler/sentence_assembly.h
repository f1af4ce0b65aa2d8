#pragma once

#include <cstdint>
#include <vector>

#include "assembler/fragment.h"

namespace hn {

// What the first fragment of a record puts into the sentence.
enum class Seeding {
  // Its first n - 1 values, as the assembler always has: the fragment is
  // used up, so in a perfect chain "a small", "small blue", "blue square"
  // the next window fits neither end of the seed "a", and the sentence is
  // "a".
  kAllButLastValue,
  // All n values, so that a perfect chain comes out whole.
  kWholeFragment,
};

// Chains one record's fragments, best first, into a sentence by overlapping
// them n - 1 values at a time. The first fragment seeds the sentence as
// `seeding` says. Then the list is scanned from its start for the first
// fragment that extends the sentence at the front (tried first) or at the
// back; each extension uses that fragment up and restarts the scan.
// Fragments that never fit are discarded.
//
// Fragments without values carry no word and are set aside before seeding;
// a fragment whose length differs from the seed's cannot overlap the
// sentence by n - 1 values and is discarded too.
//
// Takes O(k log k) steps of n values for k fragments; the result is exactly
// that of `assembleSentenceLiterally`.
std::vector<std::int32_t> assembleSentence(
    std::vector<Fragment> fragments,
    Seeding seeding = Seeding::kAllButLastValue);

// The same assembly done as described above, rescanning the list after
// every extension: quadratic in the number of fragments. Kept as the
// reference that `assembleSentence` is tested against.
std::vector<std::int32_t> assembleSentenceLiterally(
    std::vector<Fragment> fragments,
    Seeding seeding = Seeding::kAllButLastValue);

// True if the last n - 1 values of the fragment equal the first n - 1 values
// of the sentence; always true for a one-value fragment. False for a
// fragment without values or longer than the sentence by more than one.
bool matchesFront(const Fragment& fragment,
                  const std::vector<std::int32_t>& sentence);

// True if the first n - 1 values of the fragment equal the last n - 1 values
// of the sentence; always true for a one-value fragment. False for a
// fragment without values or longer than the sentence by more than one.
bool matchesBack(const Fragment& fragment,
                 const std::vector<std::int32_t>& sentence);

}  // namespace hn

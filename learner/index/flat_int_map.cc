#include "learner/index/flat_int_map.h"

namespace hn {
namespace {

constexpr unsigned kFirstBits = 3;

}  // namespace

std::uint32_t FlatIntMap::find(std::int32_t key) const {
  if (slots.empty()) return kAbsent;
  const std::size_t mask = slots.size() - 1;
  for (std::size_t slot = slotOf(key);; slot = (slot + 1) & mask) {
    const Slot& entry = slots[slot];
    if (entry.value == kAbsent || entry.key == key) return entry.value;
  }
}

void FlatIntMap::assign(std::int32_t key, std::uint32_t value) {
  if ((count + 1) * 4 > slots.size() * 3) grow();
  const std::size_t mask = slots.size() - 1;
  std::size_t slot = slotOf(key);
  while (slots[slot].value != kAbsent && slots[slot].key != key) {
    slot = (slot + 1) & mask;
  }
  if (slots[slot].value == kAbsent) ++count;
  slots[slot] = {key, value};
}

// Multiplicative hashing, the top bits taken as the slot.
std::size_t FlatIntMap::slotOf(std::int32_t key) const {
  const std::uint64_t hash =
      static_cast<std::uint32_t>(key) * 0x9E3779B97F4A7C15ULL;
  return static_cast<std::size_t>(hash >> (64 - bits));
}

void FlatIntMap::grow() {
  std::vector<Slot> old;
  old.swap(slots);
  bits = old.empty() ? kFirstBits : bits + 1;
  slots.assign(std::size_t{1} << bits, Slot{0, kAbsent});
  count = 0;
  for (const Slot& entry : old) {
    if (entry.value != kAbsent) assign(entry.key, entry.value);
  }
}

}  // namespace hn

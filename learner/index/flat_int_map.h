#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace hn {

// A map from 32-bit keys to 32-bit numbers in one flat array (open
// addressing, linear probing): 8 bytes a slot, about 12 an entry, where a
// node-based map takes some 45. The vote tables keep two per sentence
// window, with an entry per vertex and per position voted for.
class FlatIntMap {
 public:
  // What `find` gives for an absent key; never stored as a value.
  static constexpr std::uint32_t kAbsent = 0xFFFFFFFF;

  std::uint32_t find(std::int32_t key) const;
  bool contains(std::int32_t key) const { return find(key) != kAbsent; }

  // Maps `key` to `value` (not kAbsent), replacing what it mapped to.
  void assign(std::int32_t key, std::uint32_t value);

  std::size_t size() const { return count; }

 private:
  struct Slot {
    std::int32_t key;
    std::uint32_t value;  // kAbsent where the slot is free
  };

  std::size_t slotOf(std::int32_t key) const;
  void grow();

  std::vector<Slot> slots;
  unsigned bits = 0;
  std::size_t count = 0;
};

}  // namespace hn

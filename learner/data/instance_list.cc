#include "learner/data/instance_list.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <ostream>

namespace hn {
namespace {

// Large enough that block headers do not count, small enough that the last
// block's unused tail does not either. The first blocks are smaller, each
// twice the one before, so that a small data set (a test, a fuzz input)
// does not take 16 MiB.
constexpr std::size_t kBlockBytes = std::size_t{1} << 24;
constexpr std::size_t kFirstBlockBytes = std::size_t{1} << 16;
constexpr std::size_t kDoublings = 8;  // kFirstBlockBytes << 8 == kBlockBytes
static_assert((kFirstBlockBytes << kDoublings) == kBlockBytes);

std::uint8_t narrowestWidth(std::span<const std::int32_t> values) {
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  if (low == values.end() || (*low >= 0 && *high <= 0xFF)) return 1;
  if (*low >= 0 && *high <= 0xFFFF) return 2;
  return 4;
}

template <typename Stored>
void pack(std::span<const std::int32_t> values, std::byte* out) {
  for (const std::int32_t value : values) {
    const auto narrow = static_cast<Stored>(value);
    std::memcpy(out, &narrow, sizeof narrow);
    out += sizeof narrow;
  }
}

}  // namespace

std::int32_t InstanceView::operator[](std::size_t index) const {
  switch (width) {
    case 1:
      return static_cast<std::int32_t>(static_cast<std::uint8_t>(data[index]));
    case 2: {
      std::uint16_t value;
      std::memcpy(&value, data + 2 * index, sizeof value);
      return value;
    }
    default: {
      std::int32_t value;
      std::memcpy(&value, data + 4 * index, sizeof value);
      return value;
    }
  }
}

std::vector<std::int32_t> InstanceView::values() const {
  return std::vector<std::int32_t>(begin(), end());
}

std::string InstanceView::key() const {
  std::string key = std::to_string(count) + ':';
  key.append(reinterpret_cast<const char*>(data), count * width);
  return key;
}

bool operator==(const InstanceView& x, const InstanceView& y) {
  return std::equal(x.begin(), x.end(), y.begin(), y.end());
}

bool operator==(const InstanceView& x, const std::vector<std::int32_t>& y) {
  return std::equal(x.begin(), x.end(), y.begin(), y.end());
}

InstanceList::InstanceList(
    std::initializer_list<std::vector<std::int32_t>> instances) {
  for (const std::vector<std::int32_t>& values : instances) push_back(values);
}

InstanceList::InstanceList(
    const std::vector<std::vector<std::int32_t>>& instances) {
  for (const std::vector<std::int32_t>& values : instances) push_back(values);
}

InstanceList::InstanceList(const InstanceList& other) { *this = other; }

InstanceList& InstanceList::operator=(const InstanceList& other) {
  if (this == &other) return *this;
  clear();
  for (std::size_t i = 0; i < other.size(); ++i) {
    push_back(other[i].values());
  }
  return *this;
}

void InstanceList::push_back(std::span<const std::int32_t> values) {
  const std::uint8_t width = narrowestWidth(values);
  std::byte* data = reserve(values.size() * width);
  switch (width) {
    case 1:
      pack<std::uint8_t>(values, data);
      break;
    case 2:
      pack<std::uint16_t>(values, data);
      break;
    default:
      pack<std::int32_t>(values, data);
      break;
  }
  entries.push_back({data, static_cast<std::uint32_t>(values.size()), width});
}

void InstanceList::truncate(std::size_t count) {
  if (count < entries.size()) entries.resize(count);
}

void InstanceList::clear() {
  entries.clear();
  blocks.clear();
  blockFree = 0;
  blockNext = nullptr;
  usedBytes = 0;
}

InstanceView InstanceList::operator[](std::size_t index) const {
  const Entry& entry = entries[index];
  return {entry.data, entry.count, entry.width};
}

std::byte* InstanceList::reserve(std::size_t bytes) {
  usedBytes += bytes;
  if (bytes > blockFree) {
    const std::size_t size = std::max(
        kFirstBlockBytes << std::min(blocks.size(), kDoublings), bytes);
    blocks.push_back(std::make_unique_for_overwrite<std::byte[]>(size));
    blockNext = blocks.back().get();
    blockFree = size;
  }
  std::byte* data = blockNext;
  blockNext += bytes;
  blockFree -= bytes;
  return data;
}

bool operator==(const InstanceList& x, const InstanceList& y) {
  if (x.size() != y.size()) return false;
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (!(x[i] == y[i])) return false;
  }
  return true;
}

bool operator==(const InstanceList& x,
                const std::vector<std::vector<std::int32_t>>& y) {
  if (x.size() != y.size()) return false;
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (!(x[i] == y[i])) return false;
  }
  return true;
}

std::ostream& operator<<(std::ostream& out, const InstanceView& view) {
  out << '{';
  for (std::size_t i = 0; i < view.size(); ++i) {
    out << (i > 0 ? ", " : "") << view[i];
  }
  return out << '}';
}

std::ostream& operator<<(std::ostream& out, const InstanceList& list) {
  out << '{';
  for (std::size_t i = 0; i < list.size(); ++i) {
    out << (i > 0 ? ", " : "") << list[i];
  }
  return out << '}';
}

}  // namespace hn

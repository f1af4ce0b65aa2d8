#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace hn {

// One instance vector (a sentence or an image) as stored in an
// `InstanceList`: its values in the narrowest of 8, 16 or 32 bits that
// holds them all, read back unchanged as 32-bit values. A view borrows from
// its list and stays valid while the list lives (lists only grow).
class InstanceView {
 public:
  class Iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = std::int32_t;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = std::int32_t;

    Iterator() = default;
    Iterator(const InstanceView* view, std::size_t index)
        : view(view), index(index) {}
    std::int32_t operator*() const { return (*view)[index]; }
    std::int32_t operator[](difference_type n) const {
      return (*view)[index + static_cast<std::size_t>(n)];
    }
    Iterator& operator++() {
      ++index;
      return *this;
    }
    Iterator operator++(int) {
      Iterator old = *this;
      ++index;
      return old;
    }
    Iterator& operator--() {
      --index;
      return *this;
    }
    Iterator operator--(int) {
      Iterator old = *this;
      --index;
      return old;
    }
    Iterator& operator+=(difference_type n) {
      index += static_cast<std::size_t>(n);
      return *this;
    }
    Iterator& operator-=(difference_type n) {
      index -= static_cast<std::size_t>(n);
      return *this;
    }
    friend Iterator operator+(Iterator it, difference_type n) {
      return it += n;
    }
    friend Iterator operator+(difference_type n, Iterator it) {
      return it += n;
    }
    friend Iterator operator-(Iterator it, difference_type n) {
      return it -= n;
    }
    friend difference_type operator-(const Iterator& x, const Iterator& y) {
      return static_cast<difference_type>(x.index) -
             static_cast<difference_type>(y.index);
    }
    friend bool operator==(const Iterator& x, const Iterator& y) {
      return x.index == y.index;
    }
    friend auto operator<=>(const Iterator& x, const Iterator& y) {
      return x.index <=> y.index;
    }

   private:
    const InstanceView* view = nullptr;
    std::size_t index = 0;
  };

  InstanceView(const std::byte* data, std::size_t count, std::uint8_t width)
      : data(data), count(count), width(width) {}

  std::size_t size() const { return count; }
  bool empty() const { return count == 0; }
  std::int32_t operator[](std::size_t index) const;
  Iterator begin() const { return {this, 0}; }
  Iterator end() const { return {this, count}; }

  // The values as 32-bit integers, for code that wants them contiguous.
  std::vector<std::int32_t> values() const;
  // A text that equal instances share and unequal ones never do: the value
  // count and the stored bytes (equal counts and bytes mean equal widths).
  std::string key() const;

  friend bool operator==(const InstanceView& x, const InstanceView& y);
  friend bool operator==(const InstanceView& x,
                         const std::vector<std::int32_t>& y);

 private:
  const std::byte* data;
  std::size_t count;
  std::uint8_t width;
};

// The data set's instance vectors, sentence and image alternately, packed:
// each in the narrowest integer type that holds its values (an image of
// values 0 to 255 takes one byte a position), in large blocks, so that
// loading many pairs neither wastes memory on per-vector headers nor copies
// everything when it grows.
class InstanceList {
 public:
  InstanceList() = default;
  InstanceList(std::initializer_list<std::vector<std::int32_t>> instances);
  InstanceList(const std::vector<std::vector<std::int32_t>>& instances);
  InstanceList(const InstanceList& other);
  InstanceList& operator=(const InstanceList& other);
  InstanceList(InstanceList&&) noexcept = default;
  InstanceList& operator=(InstanceList&&) noexcept = default;

  void push_back(std::span<const std::int32_t> values);
  // Drops the instances from `count` on (their bytes stay allocated).
  void truncate(std::size_t count);
  void clear();

  std::size_t size() const { return entries.size(); }
  bool empty() const { return entries.empty(); }
  InstanceView operator[](std::size_t index) const;
  InstanceView front() const { return (*this)[0]; }
  InstanceView back() const { return (*this)[size() - 1]; }

  // The bytes the values take, for memory reports.
  std::size_t valueBytes() const { return usedBytes; }

  friend bool operator==(const InstanceList& x, const InstanceList& y);
  friend bool operator==(const InstanceList& x,
                         const std::vector<std::vector<std::int32_t>>& y);

 private:
  struct Entry {
    const std::byte* data;
    std::uint32_t count;
    std::uint8_t width;
  };
  std::byte* reserve(std::size_t bytes);

  std::vector<Entry> entries;
  std::vector<std::unique_ptr<std::byte[]>> blocks;
  std::size_t blockFree = 0;
  std::byte* blockNext = nullptr;
  std::size_t usedBytes = 0;
};

// For test failure messages.
std::ostream& operator<<(std::ostream& out, const InstanceView& view);
std::ostream& operator<<(std::ostream& out, const InstanceList& list);

}  // namespace hn

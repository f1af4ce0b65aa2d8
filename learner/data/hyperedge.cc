#include "learner/data/hyperedge.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <ostream>
#include <utility>

#include "common/fatal.h"

namespace hn {
namespace {

std::int32_t* allocateVertices(std::uint32_t count) {
  // The byte size of the array must fit in 32 bits.
  constexpr std::uint32_t kMaxCount =
      std::numeric_limits<std::uint32_t>::max() / sizeof(std::int32_t);
  if (count > kMaxCount) fatal(kAllocationFailure);
  auto* array = new (std::nothrow) std::int32_t[count]();
  if (array == nullptr) fatal(kAllocationFailure);
  return array;
}

}  // namespace

Hyperedge::Hyperedge(std::uint32_t count, const std::int32_t* source) {
  assignVertices(count, source);
}

Hyperedge::Hyperedge(const Hyperedge& other) : weight(other.weight) {
  assignVertices(other.vertexCount, other.vertices);
}

Hyperedge::Hyperedge(Hyperedge&& other) noexcept
    : vertexCount(std::exchange(other.vertexCount, 0)),
      vertices(std::exchange(other.vertices, nullptr)),
      weight(other.weight) {}

Hyperedge& Hyperedge::operator=(const Hyperedge& other) {
  if (this != &other) assignVertices(other.vertexCount, other.vertices);
  weight = other.weight;
  return *this;
}

Hyperedge& Hyperedge::operator=(Hyperedge&& other) noexcept {
  if (this != &other) {
    delete[] vertices;
    vertexCount = std::exchange(other.vertexCount, 0);
    vertices = std::exchange(other.vertices, nullptr);
  }
  weight = other.weight;
  return *this;
}

Hyperedge::~Hyperedge() { delete[] vertices; }

void Hyperedge::assignVertices(std::uint32_t count,
                               const std::int32_t* source) {
  std::int32_t* array = allocateVertices(count);
  if (source != nullptr) std::copy(source, source + count, array);
  delete[] vertices;
  vertices = array;
  vertexCount = count;
}

bool Hyperedge::operator<(const Hyperedge& other) const {
  return vertexOrderLess({vertices, vertexCount},
                         {other.vertices, other.vertexCount});
}

bool Hyperedge::matches(const Hyperedge& pattern) const {
  return matchesPattern({vertices, vertexCount}, pattern);
}

bool matchesPattern(std::span<const std::int32_t> stored,
                    const Hyperedge& pattern) {
  if (stored.size() != pattern.vertexCount) return false;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    const std::int32_t mine = stored[i];
    const std::int32_t theirs = pattern.vertices[i];
    if (mine != theirs && mine != kWildcard && theirs != kWildcard) {
      return false;
    }
  }
  return true;
}

bool Hyperedge::holdsWildcard() const {
  return hn::holdsWildcard({vertices, vertexCount});
}

bool weighsMore(double x, double y) {
  if (std::isnan(x)) return false;
  return std::isnan(y) || x > y;
}

bool vertexOrderLess(std::span<const std::int32_t> x,
                     std::span<const std::int32_t> y) {
  const std::size_t common = std::min(x.size(), y.size());
  for (std::size_t i = 0; i < common; ++i) {
    if (x[i] != y[i]) return x[i] < y[i];
  }
  return false;
}

bool ranksBefore(const Hyperedge& x, const Hyperedge& y) {
  return rankOrderLess(x.weight, {x.vertices, x.vertexCount}, y.weight,
                       {y.vertices, y.vertexCount});
}

bool rankOrderLess(double xWeight, std::span<const std::int32_t> x,
                   double yWeight, std::span<const std::int32_t> y) {
  if (weighsMore(xWeight, yWeight)) return true;
  if (weighsMore(yWeight, xWeight)) return false;
  return vertexOrderLess(x, y);
}

std::ostream& writeVertices(std::ostream& out, const Hyperedge& hyperedge) {
  out << '(';
  for (std::uint32_t i = 0; i < hyperedge.vertexCount; ++i) {
    if (i > 0) out << ',';
    out << hyperedge.vertices[i];
  }
  return out << ')';
}

void appendText(std::string& text, const Hyperedge& hyperedge) {
  char digits[32];
  text += "{(";
  for (std::uint32_t i = 0; i < hyperedge.vertexCount; ++i) {
    if (i > 0) text += ',';
    text.append(digits, std::to_chars(digits, digits + sizeof digits,
                                      hyperedge.vertices[i])
                            .ptr);
  }
  text += "):";
  // General format with precision 6 is printf's %.6g, which is what a
  // stream in its default state writes.
  text.append(digits,
              std::to_chars(digits, digits + sizeof digits, hyperedge.weight,
                            std::chars_format::general, 6)
                  .ptr);
  text += '}';
}

std::ostream& operator<<(std::ostream& out, const Hyperedge& hyperedge) {
  out << '{';
  writeVertices(out, hyperedge);
  return out << ':' << hyperedge.weight << '}';
}

}  // namespace hn

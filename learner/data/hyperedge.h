#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>

namespace hn {

// The vertex value that matches any value, in a pattern or a stored edge.
inline constexpr std::int32_t kWildcard = -1;

constexpr bool holdsWildcard(std::span<const std::int32_t> vertices) {
  return std::find(vertices.begin(), vertices.end(), kWildcard) !=
         vertices.end();
}

// Orders weights and vote sums from the highest down. A NaN (from a
// weight-update parameter of "nan") ranks after every number, so that
// sorting always sees a strict weak order.
bool weighsMore(double x, double y);

// An ordered tuple of vertex values with a weight. Owns its vertex array and
// copies it deeply. Allocation failure ends the process through `fatal`.
class Hyperedge {
 public:
  // Copies `count` values from `source` when it is not null; otherwise the
  // vertices are zero.
  explicit Hyperedge(std::uint32_t count = 0,
                     const std::int32_t* source = nullptr);
  Hyperedge(const Hyperedge& other);
  Hyperedge(Hyperedge&& other) noexcept;
  Hyperedge& operator=(const Hyperedge& other);
  Hyperedge& operator=(Hyperedge&& other) noexcept;
  virtual ~Hyperedge();

  // Replaces the vertex array by a new one of `count` values, copied from
  // `source` when it is not null. `source` may point into the old array.
  void assignVertices(std::uint32_t count, const std::int32_t* source);

  // The vertex order. Compares the common prefix only: when one array is a
  // prefix of the other, neither is less and the two are the same key.
  bool operator<(const Hyperedge& other) const;

  // Equal counts, and at every slot equal values or -1 on either side.
  bool matches(const Hyperedge& pattern) const;

  // Whether any vertex is the wildcard value.
  bool holdsWildcard() const;

  std::uint32_t vertexCount = 0;
  std::int32_t* vertices = nullptr;
  double weight = 0.0;
};

// `Hyperedge::matches` for a stored hyperedge given by its vertices.
bool matchesPattern(std::span<const std::int32_t> stored,
                    const Hyperedge& pattern);

// The vertex order over plain vertex arrays, as `Hyperedge::operator<`.
bool vertexOrderLess(std::span<const std::int32_t> x,
                     std::span<const std::int32_t> y);

// The ranking order: higher weight first, equal weights in vertex order.
bool ranksBefore(const Hyperedge& x, const Hyperedge& y);
bool rankOrderLess(double xWeight, std::span<const std::int32_t> x,
                   double yWeight, std::span<const std::int32_t> y);

// "(v1,v2,...)"; the hyperedge must have at least one vertex.
std::ostream& writeVertices(std::ostream& out, const Hyperedge& hyperedge);

// "{(v1,v2,...):weight}" in the stream's current real formatting.
std::ostream& operator<<(std::ostream& out, const Hyperedge& hyperedge);

// Appends what `operator<<` writes to a stream in its default formatting
// (six significant digits, as printf's %g), without a stream: much faster
// for the many lines of text generation.
void appendText(std::string& text, const Hyperedge& hyperedge);

}  // namespace hn

#include "common/crc32.h"

#include <array>

namespace hn {
namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;

// The checksum of every byte value, so that each byte costs one lookup.
constexpr std::array<std::uint32_t, 256> makeTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t byte = 0; byte < 256; ++byte) {
    std::uint32_t crc = byte;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1u) != 0 ? (crc >> 1) ^ kPolynomial : crc >> 1;
    }
    table[byte] = crc;
  }
  return table;
}

constexpr std::array<std::uint32_t, 256> kTable = makeTable();

}  // namespace

std::uint32_t crc32(const void* data, std::size_t size,
                    std::uint32_t previous) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::uint32_t crc = ~previous;
  for (std::size_t i = 0; i < size; ++i) {
    crc = kTable[(crc ^ bytes[i]) & 0xFFu] ^ (crc >> 8);
  }
  return ~crc;
}

}  // namespace hn

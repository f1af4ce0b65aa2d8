#pragma once

#include <cstddef>
#include <cstdint>

namespace hn {

// CRC-32 with the IEEE polynomial (reflected 0xEDB88320, initial value and
// final XOR 0xFFFFFFFF), the checksum of zip and PNG. Written here rather
// than taken from a library so that hn_learner builds with a compiler and
// CMake alone.
//
// `previous` continues a checksum over data handed in pieces: the result of
// crc32(b, crc32(a)) equals the checksum of a followed by b.
std::uint32_t crc32(const void* data, std::size_t size,
                    std::uint32_t previous = 0);

}  // namespace hn

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vellomar {

// The CRC-32 of ZIP, ARJ and ACE (reflected, polynomial 0xEDB88320). Header-only, so the run-time
// modules share it without linking the foundation.

inline constexpr std::array<uint32_t, 256> kCrc32Table = [] {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}();

inline constexpr uint32_t kCrc32Start = 0xFFFFFFFFu;

// Runs crc on over bytes; a whole CRC starts at kCrc32Start and is complemented at the end.
constexpr uint32_t crc32Update(uint32_t crc, uint8_t byte) {
  return kCrc32Table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
}

inline uint32_t crc32Update(uint32_t crc, std::span<const uint8_t> bytes) {
  for (uint8_t b : bytes) crc = crc32Update(crc, b);
  return crc;
}

inline uint32_t crc32Of(std::span<const uint8_t> bytes) {
  return ~crc32Update(kCrc32Start, bytes);
}

}  // namespace vellomar

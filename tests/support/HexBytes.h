#pragma once

#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace vellomar::testing {

// Bytes written as hex pairs, blanks ignored: "0A 00 ff".
inline std::vector<uint8_t> hexBytes(std::string_view hex) {
  auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    throw std::invalid_argument("not a hex digit");
  };
  std::vector<uint8_t> bytes;
  int high = -1;
  for (char c : hex) {
    if (c == ' ') continue;
    if (high < 0) {
      high = nibble(c);
    } else {
      bytes.push_back(static_cast<uint8_t>(high << 4 | nibble(c)));
      high = -1;
    }
  }
  if (high >= 0) throw std::invalid_argument("odd number of hex digits");
  return bytes;
}

}  // namespace vellomar::testing

#include "engine/UScrambler.h"

namespace vellomar {

uint8_t Scrambler::next() {
  state_ = static_cast<uint16_t>(state_ * 0x8405u + 1u);
  return static_cast<uint8_t>(state_);
}

Scrambler& processScrambler() {
  static Scrambler scrambler;
  return scrambler;
}

void ScrambleBytes(std::span<uint8_t> bytes, Scrambler& scrambler) {
  if (bytes.empty()) return;
  bytes[0] = scrambler.next();
  for (size_t i = 1; i < bytes.size(); ++i)
    bytes[i] = static_cast<uint8_t>(bytes[i] + scrambler.next());
}

void UnscrambleBytes(std::span<uint8_t> bytes, Scrambler& scrambler) {
  if (bytes.empty()) return;
  scrambler.setState(bytes[0]);
  for (size_t i = 1; i < bytes.size(); ++i)
    bytes[i] = static_cast<uint8_t>(bytes[i] - scrambler.next());
}

}  // namespace vellomar

#pragma once

// The whole layout of the catalogue file, of which this is a piece: engine/FORMAT.md.

#include "engine/UEngineInternal.h"

#include <cstdint>
#include <span>

namespace vellomar {

// The 16-bit generator behind the header scrambling. Every scrambling continues the state that
// the previous one left, so each copy of the header record gets its own seed byte.
class Scrambler {
 public:
  static constexpr uint16_t kStartState = 255;

  explicit Scrambler(uint16_t state = kStartState) : state_(state) {}

  uint16_t state() const { return state_; }
  void setState(uint16_t state) { state_ = state; }
  // One step; yields the low byte of the new state.
  uint8_t next();

 private:
  uint16_t state_;
};

// The one generator of the process, used unless a caller brings its own.
Scrambler& processScrambler();

// Byte 0 becomes the generator's next output (the seed); every later byte has the next output
// added to it.
void ScrambleBytes(std::span<uint8_t> bytes, Scrambler& scrambler);
// Restarts the generator from the seed in byte 0 and subtracts its outputs; byte 0 keeps the seed.
void UnscrambleBytes(std::span<uint8_t> bytes, Scrambler& scrambler);

}  // namespace vellomar

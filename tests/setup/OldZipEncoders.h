#pragma once

#include <cstdint>
#include <vector>

#include "tests/setup/ZipTestFiles.h"

// Test-only encoders for the old ZIP methods, to reach the decoder paths the real archives
// leave out. Their output is checked against Debian's unzip and 7-Zip where those decode it.
namespace vellomar::test {

class BitWriter {
 public:
  // Least significant bit first.
  void put(uint32_t value, int bits);
  Bytes finish();

 private:
  Bytes bytes_;
  uint32_t buffer_ = 0;
  int count_ = 0;
};

struct ShrinkStats {
  int maxWidth = 9;
  int partialClears = 0;
};

// LZW as method 1 decodes it; the table is partly cleared each time it is full.
Bytes shrink(const Bytes& data, ShrinkStats* stats = nullptr);

enum class FollowerSets { kEmpty, kFull };

// The run and copy bytes (0x90 escapes) of factor 1..4 for data.
Bytes reduceExpanderBytes(const Bytes& data, int factor);
// Follower-set coding of expander bytes: every set empty, or every set holding 32 characters.
Bytes reduceFollowerCode(const Bytes& expanderBytes, FollowerSets sets);

// Method 6 with the given flag bits (kImplodeBigWindow, kImplodeLiteralTree).
Bytes implode(const Bytes& data, uint16_t flags);

}  // namespace vellomar::test

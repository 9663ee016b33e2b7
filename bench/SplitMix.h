#pragma once

#include <cstdint>

namespace vellomar {

// A generator whose sequence is fixed by its seed on every compiler and library, unlike the
// standard distributions, so a seed gives the same tree everywhere.
class SplitMix {
 public:
  explicit SplitMix(uint64_t seed) : state_(seed) {}

  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // 0 .. n-1; n > 0.
  uint64_t below(uint64_t n) { return next() % n; }
  // lo .. hi inclusive.
  int64_t between(int64_t lo, int64_t hi) {
    return lo + static_cast<int64_t>(below(static_cast<uint64_t>(hi - lo) + 1));
  }
  // True in percent out of 100 draws, on average.
  bool chance(unsigned percent) { return below(100) < percent; }

 private:
  uint64_t state_;
};

}  // namespace vellomar

#pragma once

#include <cstdint>

namespace vellomar {

// Binary search over count items in order; compareAt(i) is negative, 0 or positive as item i
// sorts before, with or after the key. Answers whether an item equal to the key is held, and
// sets index to where it is, or to where the key would go. With leftmostEqual the search runs
// on to the first of several equal items; without, it stops at the first equal item it meets.
template <class CompareAt>
bool sortedSearch(int32_t count, const CompareAt& compareAt, bool leftmostEqual, int32_t& index) {
  int32_t lo = 0;
  int32_t hi = count - 1;
  bool found = false;
  while (lo <= hi) {
    const int32_t mid = lo + (hi - lo) / 2;
    const int c = compareAt(mid);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (!leftmostEqual) lo = mid;
      }
    }
  }
  index = lo;
  return found;
}

}  // namespace vellomar

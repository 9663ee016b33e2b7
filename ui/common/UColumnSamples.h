#pragma once

#include <cstdint>

namespace vellomar {

// What the columns of the file lists and result windows are measured by, on the screen and on
// paper alike.

// 30 October 2000, 23:00: the widest date and time.
inline constexpr uint32_t kWidestDateTime = 0x295EB800;
inline constexpr int32_t kWidestSize = 2000000000;
// A name of eight characters and its extension.
inline constexpr const char* kNameSample = "Mmmmxxxx.mxx";
// A description column is kDescSamples times as wide as kDescSample.
inline constexpr const char* kDescSample = "Mmmmxxxxx ";
inline constexpr int32_t kDescSamples = 25;

// A time column: the widest time with a sixth to spare.
inline int32_t TimeColumnWidth(int32_t widestTime) {
  return widestTime + widestTime / 6;
}

}  // namespace vellomar

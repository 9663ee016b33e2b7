#pragma once

#include <cstdint>
#include <string_view>

#include "engine/UMasks.h"
#include "engine/api/UApiTypes.h"
#include "engine/api/USearchDlgData.h"

namespace vellomar::testing {

// A packed DOS date-time as the catalogue stores it.
constexpr uint32_t dosDateTime(int year, int month, int day, int hour = 0, int minute = 0,
                               int second = 0) {
  const auto date = static_cast<uint32_t>(((year - 1980) << 9) | (month << 5) | day);
  const auto time = static_cast<uint32_t>((hour << 11) | (minute << 5) | (second / 2));
  return (date << 16) | time;
}

// A search request for mask over file names, every other switch as a new dialog leaves it.
inline TSearchDlgData fileNameRequest(std::string_view mask) {
  TSearchDlgData request;
  request.Mask = mask;
  request.MaxRecs = 1000;
  request.FileNames = true;
  return request;
}

// Parses text as the search API parses its exclusion and folder masks.
inline void plainMasks(std::string_view text, TItemCollection<TMaskItem>& masks) {
  masks.FreeAll();
  ParseMaskListEx(text, masks, false, false, false);
}

}  // namespace vellomar::testing

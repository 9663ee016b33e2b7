#pragma once

// The text every double gives: kText in blocks of at most kBlock bytes, fewer than the program
// asks for. One transfer at a time is all the tests need.

#include <cstddef>
#include <cstdint>
#include <string_view>

#define VELLOMAR_EXPORT __attribute__((visibility("default")))

namespace vellomar::filterdouble {

constexpr std::string_view kText = "shorter than any limit";
constexpr size_t kBlock = 5;
constexpr int32_t kHandle = 7;

// Bytes of kText given out in the open transfer.
extern size_t given;

}  // namespace vellomar::filterdouble

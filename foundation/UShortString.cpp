#include "foundation/UShortString.h"

#include <algorithm>
#include <cstring>

namespace vellomar {

namespace {

bool isContinuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

// Length of the UTF-8 sequence a lead byte starts, 0 when it cannot start one.
size_t sequenceLength(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

}  // namespace

size_t utf8CutLength(std::string_view text, size_t limit) {
  if (text.size() <= limit) return text.size();
  // text[limit] is the first byte left out; back up to the lead byte of its character.
  size_t start = limit;
  while (start > 0 && limit - start < 3 && isContinuation(text[start])) --start;
  if (start == limit || isContinuation(text[start])) return limit;
  const size_t needed = sequenceLength(static_cast<unsigned char>(text[start]));
  if (needed == 0 || start + needed <= limit || start + needed > text.size()) return limit;
  for (size_t i = start + 1; i < start + needed; ++i) {
    if (!isContinuation(text[i])) return limit;
  }
  return start;
}

ShortString::ShortString(std::string_view text) {
  length_ = static_cast<uint8_t>(utf8CutLength(text, kMaxLength));
  std::memcpy(chars_, text.data(), length_);
}

void ShortString::setLength(int length) {
  length_ = static_cast<uint8_t>(std::clamp(length, 0, kMaxLength));
}

}  // namespace vellomar

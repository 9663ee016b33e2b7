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

// The field written in pieces of a fixed size, which the compiler moves with vector
// instructions: for a length it knows to be at most 255 it picks string instructions, whose start
// alone costs several times the copy of a name.
void zeroField(char* field) {
  for (int i = 0; i < 3; ++i) std::memset(field + 64 * i, 0, 64);
  std::memset(field + 192, 0, ShortString::kMaxLength - 192);
}

// The n bytes of text into the zeroed field: whole pieces of 16, then one that ends with the
// text, overlapping the one before.
void copyIntoField(char* field, const char* text, size_t n) {
  if (n >= 16) {
    for (size_t i = 0; i + 16 <= n; i += 16) std::memcpy(field + i, text + i, 16);
    std::memcpy(field + n - 16, text + n - 16, 16);
  } else if (n >= 8) {
    std::memcpy(field, text, 8);
    std::memcpy(field + n - 8, text + n - 8, 8);
  } else if (n >= 4) {
    std::memcpy(field, text, 4);
    std::memcpy(field + n - 4, text + n - 4, 4);
  } else {
    for (size_t i = 0; i < n; ++i) field[i] = text[i];
  }
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
  const size_t length = utf8CutLength(text, kMaxLength);
  length_ = static_cast<uint8_t>(length);
  zeroField(chars_);
  copyIntoField(chars_, text.data(), length);
}

void ShortString::setLength(int length) {
  length_ = static_cast<uint8_t>(std::clamp(length, 0, kMaxLength));
}

ShortString ShortCopy(const ShortString& source, int index, int count) {
  const int length = source.length();
  if (index <= 0 || index > length || count <= 0) return {};
  count = std::min(count, length - index + 1);
  ShortString result;
  std::memcpy(result.data(), source.data() + index - 1, count);
  result.setLength(count);
  return result;
}

void ShortDelete(ShortString& s, int index, int count) {
  const int length = s.length();
  if (index <= 0 || index > length || count <= 0) return;
  if (count > length + 1 - index) {
    s.setLength(index - 1);
    return;
  }
  char* at = s.data() + index - 1;
  std::memmove(at, at + count, length - (index - 1) - count);
  s.setLength(length - count);
}

void ShortInsert(const ShortString& source, ShortString& dest, int capacity, int index) {
  if (index <= 0) return;
  const int length = dest.length();
  const int room = std::clamp(capacity, 0, ShortString::kMaxLength) - length;
  if (room <= 0) return;
  const int inserted = static_cast<int>(utf8CutLength(source.view(), room));
  const int at = std::min(index - 1, length);
  char* data = dest.data();
  std::memmove(data + at + inserted, data + at, length - at);
  std::memcpy(data + at, source.data(), inserted);
  dest.setLength(length + inserted);
}

// The block is the length byte followed by the characters, with no other header: its size
// follows from the stored length.
size_t heapShortStrSize(int length) {
  return (static_cast<size_t>(std::clamp(length, 0, ShortString::kMaxLength)) + 16) / 16 * 16;
}

HeapShortStr* NewShortStr(const ShortString& s) {
  auto* block = new uint8_t[heapShortStrSize(s.length())]();
  block[0] = static_cast<uint8_t>(s.length());
  std::memcpy(block + 1, s.data(), s.length());
  return reinterpret_cast<HeapShortStr*>(block);
}

void DisposeShortStr(HeapShortStr*& p) {
  delete[] reinterpret_cast<uint8_t*>(p);
  p = nullptr;
}

ShortString GetPStr(const HeapShortStr* p) {
  if (p == nullptr) return {};
  const auto* block = reinterpret_cast<const uint8_t*>(p);
  return ShortString(std::string_view(reinterpret_cast<const char*>(block + 1), block[0]));
}

}  // namespace vellomar

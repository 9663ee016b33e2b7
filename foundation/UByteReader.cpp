#include "foundation/UByteReader.h"

#include <algorithm>
#include <cstring>

namespace vellomar {

void ByteReader::seek(size_t position) {
  if (!ok_ || position > size_) {
    ok_ = false;
    return;
  }
  position_ = position;
}

uint64_t ByteReader::u64() {
  const uint64_t low = u32();
  const uint64_t high = u32();
  return ok_ ? low | high << 32 : 0;
}

void ByteReader::copy(void* out, size_t n) {
  const uint8_t* p = take(n);
  if (p) {
    std::memcpy(out, p, n);
  } else {
    std::memset(out, 0, n);
  }
}

ShortString ByteReader::fixedShortString(size_t capacity) {
  const size_t length = std::min<size_t>(u8(), capacity);
  const uint8_t* p = take(capacity);
  if (!p) return {};
  ShortString s;
  std::memcpy(s.data(), p, length);
  s.setLength(static_cast<int>(length));
  return s;
}

ShortString ByteReader::shortString() {
  const size_t length = u8();
  const uint8_t* p = take(length);
  if (!p) return {};
  ShortString s;
  std::memcpy(s.data(), p, length);
  s.setLength(static_cast<int>(length));
  return s;
}

void ByteWriter::u16(uint16_t v) {
  bytes_.push_back(static_cast<uint8_t>(v));
  bytes_.push_back(static_cast<uint8_t>(v >> 8));
}

void ByteWriter::u32(uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<uint8_t>(v >> shift));
}

void ByteWriter::u64(uint64_t v) {
  u32(static_cast<uint32_t>(v));
  u32(static_cast<uint32_t>(v >> 32));
}

void ByteWriter::bytes(std::span<const uint8_t> data) {
  bytes_.insert(bytes_.end(), data.begin(), data.end());
}

void ByteWriter::bytes(const void* data, size_t n) {
  bytes(std::span<const uint8_t>(static_cast<const uint8_t*>(data), n));
}

void ByteWriter::fixedShortString(const ShortString& s, size_t capacity) {
  const size_t length = utf8CutLength(s.view(), capacity);
  u8(static_cast<uint8_t>(length));
  bytes(s.data(), length);
  zeros(capacity - length);
}

void ByteWriter::shortString(std::string_view s) {
  u8(static_cast<uint8_t>(s.size()));
  bytes(s.data(), s.size());
}

void ByteWriter::patchU32(size_t offset, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes_.at(offset + i) = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace vellomar

#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "foundation/UShortString.h"

namespace vellomar {

// Bounded little-endian reader over bytes that came from a file. A read or seek past the end
// reads nothing, returns zeros and makes ok() false for good, so a parser may read a group of
// fields and test ok() once. No reader of untrusted data does its own pointer arithmetic.
class ByteReader {
 public:
  ByteReader() = default;
  ByteReader(const void* data, size_t size)
      : data_(static_cast<const uint8_t*>(data)), size_(size) {}
  explicit ByteReader(std::span<const uint8_t> bytes) : ByteReader(bytes.data(), bytes.size()) {}

  size_t size() const { return size_; }
  size_t position() const { return position_; }
  size_t remaining() const { return size_ - position_; }
  bool ok() const { return ok_; }
  bool atEnd() const { return position_ == size_; }
  // Whether n more bytes can be read; never wraps.
  bool has(size_t n) const { return ok_ && n <= size_ - position_; }

  void seek(size_t position);
  void skip(size_t n) { take(n); }
  void fail() { ok_ = false; }

  // The small readers are inline: file lists run them millions of times.
  uint8_t u8() {
    const uint8_t* p = take(1);
    return p ? p[0] : 0;
  }
  uint16_t u16() {
    const uint8_t* p = take(2);
    return p ? static_cast<uint16_t>(p[0] | p[1] << 8) : 0;
  }
  uint32_t u32() {
    const uint8_t* p = take(4);
    if (!p) return 0;
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
  }
  uint64_t u64();
  int16_t i16() { return static_cast<int16_t>(u16()); }
  int32_t i32() { return static_cast<int32_t>(u32()); }
  int64_t i64() { return static_cast<int64_t>(u64()); }

  // The next n bytes, or an empty span (and failure) when fewer are left.
  std::span<const uint8_t> bytes(size_t n) {
    const uint8_t* p = take(n);
    return p ? std::span<const uint8_t>(p, n) : std::span<const uint8_t>();
  }
  void copy(void* out, size_t n);
  // A string[capacity] field: a length byte and always capacity bytes; the length is clamped
  // to capacity.
  ShortString fixedShortString(size_t capacity);
  // The same left in place.
  std::string_view fixedShortStringView(size_t capacity) {
    const size_t length = std::min<size_t>(u8(), capacity);
    const uint8_t* p = take(capacity);
    if (!p) return {};
    return {reinterpret_cast<const char*>(p), length};
  }
  // A length byte followed by exactly that many bytes.
  ShortString shortString();
  // The same left in place: the text stays valid as long as the bytes read.
  std::string_view shortStringView() {
    const size_t length = u8();
    const uint8_t* p = take(length);
    if (!p) return {};
    return {reinterpret_cast<const char*>(p), length};
  }

 private:
  const uint8_t* take(size_t n) {
    if (!has(n)) {
      ok_ = false;
      return nullptr;
    }
    const uint8_t* p = data_ + position_;
    position_ += n;
    return p;
  }

  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t position_ = 0;
  bool ok_ = true;
};

// Little-endian writer that appends to a byte buffer; the counterpart of ByteReader.
class ByteWriter {
 public:
  size_t size() const { return bytes_.size(); }
  const std::vector<uint8_t>& bytes() const { return bytes_; }
  std::vector<uint8_t> take() { return std::move(bytes_); }
  void reserve(size_t n) { bytes_.reserve(n); }

  void u8(uint8_t v) { bytes_.push_back(v); }
  void u16(uint16_t v);
  void u32(uint32_t v);
  void u64(uint64_t v);
  void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
  void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
  void i64(int64_t v) { u64(static_cast<uint64_t>(v)); }
  void bytes(std::span<const uint8_t> data);
  void bytes(const void* data, size_t n);
  void zeros(size_t n) { bytes_.resize(bytes_.size() + n, 0); }
  // A string[capacity] field: a length byte and capacity bytes, the unused tail zero.
  void fixedShortString(const ShortString& s, size_t capacity);
  // A length byte followed by the string's bytes; s: at most 255 bytes.
  void shortString(std::string_view s);
  // Overwrites four bytes already written, for a length known only at the end.
  void patchU32(size_t offset, uint32_t v);

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace vellomar

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vellomar {

// Largest prefix of text, at most limit bytes, that does not end inside a UTF-8 character.
// Bytes that are not valid UTF-8 (CP1252 names of old catalogues) count one byte each.
size_t utf8CutLength(std::string_view text, size_t limit);

// A length-prefixed string of at most 255 bytes: how the catalogue keeps names, paths and
// messages. It holds bytes; names on Linux are UTF-8.
class ShortString {
 public:
  static constexpr int kMaxLength = 255;

  ShortString() = default;
  // Longer text is cut at the last whole character that fits.
  ShortString(std::string_view text);  // NOLINT(google-explicit-constructor): used as a value
  ShortString(const char* text) : ShortString(std::string_view(text)) {}

  int length() const { return length_; }
  bool empty() const { return length_ == 0; }
  const char* data() const { return chars_; }
  char* data() { return chars_; }
  // Clamped to 0..255; the bytes beyond the old length are whatever was stored there.
  void setLength(int length);

  std::string_view view() const { return {chars_, length_}; }
  std::string str() const { return std::string(view()); }

  friend bool operator==(const ShortString& a, const ShortString& b) {
    return a.view() == b.view();
  }

 private:
  uint8_t length_ = 0;
  char chars_[kMaxLength] = {};
};

}  // namespace vellomar

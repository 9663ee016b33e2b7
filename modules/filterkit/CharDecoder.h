#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "foundation/UByteReader.h"

struct UConverter;

namespace vellomar {

// Turns the bytes of a text in one character set into characters, one at a time. Bytes that do
// not form a character of the set give U+FFFD and are passed, so decoding always advances.
class CharDecoder {
 public:
  static constexpr char32_t kEnd = 0xFFFFFFFF;
  static constexpr char32_t kReplacement = 0xFFFD;

  // Windows-1252, the set of files that do not name theirs.
  CharDecoder();
  // A character set by any of its usual names ("utf-8", "ISO-8859-2", "cp1251", "koi8-r");
  // unknown names give windows-1252.
  static CharDecoder named(std::string_view charset);
  // A Windows code page by number (1252, 1251, 932...); unknown ones give windows-1252.
  static CharDecoder codePage(uint32_t number);
  static CharDecoder utf8();
  static CharDecoder utf16(bool bigEndian);

  // The character at the reader's position, which moves past it; kEnd at the end.
  char32_t next(ByteReader& in) const;

 private:
  enum class Kind { Utf8, Utf16Le, Utf16Be, SingleByte, MultiByte };
  explicit CharDecoder(Kind kind) : kind_(kind) {}
  static bool fromIcu(std::string_view name, CharDecoder& out);

  Kind kind_ = Kind::SingleByte;
  std::array<char32_t, 256> table_{};
  std::shared_ptr<UConverter> converter_;
};

// Whether bytes hold only well-formed UTF-8 (an empty or ASCII text counts).
bool isUtf8(std::span<const uint8_t> bytes);

}  // namespace vellomar

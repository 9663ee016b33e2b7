#pragma once

#include <string>
#include <string_view>

namespace vellomar {

// Text of keys, keywords, options and names that ignore only ASCII case. Only A-Z and a-z
// change case; every other byte stays as it is, so a changed text keeps the byte positions of
// the original.

// Sets of blanks to trim.
inline constexpr std::string_view kSpaces = " ";
inline constexpr std::string_view kSpacesAndTabs = " \t";
// Space and every control character, NUL included.
inline constexpr std::string_view kSpaceAndControls(
    "\x20\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F\x10\x11\x12\x13\x14\x15\x16"
    "\x17\x18\x19\x1A\x1B\x1C\x1D\x1E\x1F\x00",
    33);

// text without the bytes of blanks at its start, at its end, or at both.
std::string_view trimStart(std::string_view text, std::string_view blanks);
std::string_view trimEnd(std::string_view text, std::string_view blanks);
inline std::string_view trim(std::string_view text, std::string_view blanks) {
  return trimStart(trimEnd(text, blanks), blanks);
}

inline char lowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
inline char upperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
std::string lowerAscii(std::string_view text);
std::string upperAscii(std::string_view text);

// Equal but for the case of ASCII letters.
bool sameAsciiIgnoringCase(std::string_view a, std::string_view b);

}  // namespace vellomar

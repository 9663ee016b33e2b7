#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vellomar {

// Text as the system sees it: bytes that are UTF-8 where they form valid UTF-8, and CP1252
// characters (one byte each) where they do not, so names from old catalogues are never an error.

// The one order of texts in the whole system: the collation of the user's locale (LC_ALL,
// LC_COLLATE, LANG) with case ignored but accents not, and canonically equivalent forms equal.
// A strict weak order; negative, zero or positive as a sorts before, with or after b.
int compareText(std::string_view a, std::string_view b);

// For sorting many texts, keys made once per text whose bytes, compared as strings, give
// compareText's order. collationKey serves any text; asciiCollationKey is far quicker to make,
// but only for ASCII texts in a locale that compares ASCII character by character (false,
// with key undefined, otherwise). A key compares only with keys of the same function.
std::string collationKey(std::string_view text);
bool asciiCollationKey(std::string_view text, std::string& key);
// The order of the two texts' asciiCollationKey, worked out without making the keys;
// nullopt where asciiCollationKey would answer false for either.
std::optional<int> compareAsciiCollation(std::string_view a, std::string_view b);
// Whether every byte of the text is below 0x80.
bool isAsciiText(std::string_view text);
// compareAsciiCollation for two texts known to be ASCII, without looking at them again;
// nullopt only where the locale does not compare ASCII character by character.
std::optional<int> compareKnownAsciiCollation(std::string_view a, std::string_view b);
// The first eight bytes of asciiCollationKey as one big-endian number (the first 8 * n as n
// numbers), zeros after a shorter key; false, with prefix undefined, where asciiCollationKey
// would answer false.
bool asciiCollationPrefix(std::string_view text, std::span<uint64_t> prefix);
inline bool asciiCollationPrefix(std::string_view text, uint64_t& prefix) {
  return asciiCollationPrefix(text, std::span<uint64_t>(&prefix, 1));
}

// compareText, with texts that it finds equal put in the order of their bytes: a total order
// for sets that must keep both "Readme" and "README".
int compareTextThenBytes(std::string_view a, std::string_view b);

// The text as valid UTF-8, for showing it: bytes that form no UTF-8 character are read as the
// CP1252 characters they stand for. Valid UTF-8 comes back unchanged.
std::string textAsUtf8(std::string_view text);

inline bool sameText(std::string_view a, std::string_view b) {
  return compareText(a, b) == 0;
}

// The text with every character in lower case, as UTF-8. The mapping is the same in every
// locale, so "I" becomes "i" even in Turkish and masks match the same everywhere. The byte
// length may change either way: a caller with a byte limit cuts with utf8CutLength.
std::string lowerText(std::string_view text);
// lowerText of an all-ASCII text into out (text.size() bytes, which may be text's own) without
// allocating; false, with out left undefined, when text holds a byte from 128 up.
inline bool lowerAsciiInto(std::string_view text, char* out) {
  // Eight bytes at a time, as names are lowered by the million. Below 128 no byte's sum
  // carries into the next: b + 0x3F has its high bit from "A" up, b + 0x25 from past "Z" on.
  constexpr uint64_t kOnes = 0x0101010101010101;
  constexpr uint64_t kHigh = 0x80 * kOnes;
  uint64_t high = 0;
  size_t i = 0;
  for (; i + sizeof(uint64_t) <= text.size(); i += sizeof(uint64_t)) {
    uint64_t word;
    std::memcpy(&word, text.data() + i, sizeof word);
    high |= word;
    const uint64_t upper = (word + (0x80 - 'A') * kOnes) & ~(word + (0x7F - 'Z') * kOnes) & kHigh;
    word |= upper >> 2;
    std::memcpy(out + i, &word, sizeof word);
  }
  for (; i < text.size(); ++i) {
    const char c = text[i];
    high |= static_cast<unsigned char>(c);
    out[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return (high & kHigh) == 0;
}

// Whether text holds a character that upper-casing would change; a name without one is
// "entirely in capitals" (digits and caseless scripts do not count either way).
bool hasLowerCase(std::string_view text);

// The DOS code page of archive names in a locale ("de_DE.UTF-8", "ru_RU"): 850 Western
// European, 852 Central European, 866 Cyrillic, 437 for every other locale.
int oemCodePageOf(std::string_view localeName);

// oemCodePageOf the user's locale (LC_ALL, LC_CTYPE, LANG).
int oemCodePage();

// Bytes in a DOS code page (437, 850, 852 or 866; any other is read as 437) as UTF-8.
std::string oemToText(std::string_view oem, int codePage);

inline std::string oemToText(std::string_view oem) {
  return oemToText(oem, oemCodePage());
}

}  // namespace vellomar

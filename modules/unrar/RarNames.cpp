#include "modules/unrar/RarNames.h"

#include <algorithm>
#include <string_view>

namespace vellomar {

namespace {

// Longest Unicode name decoded, in UTF-16 units; the stored name field is shorter anyway.
constexpr size_t kMaxNameUnits = 1024;

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string utf16ToUtf8(const std::u16string& units) {
  std::string out;
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t unit = units[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      appendUtf8(out, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      appendUtf8(out, kReplacement);  // half a pair
    } else {
      appendUtf8(out, unit);
    }
  }
  return out;
}

// The Unicode form packed against the plain name: a high byte shared by the characters of one
// script, then groups of a flag byte and four items, each told by two bits from the top: 0 a
// byte below 256, 1 a byte with the high byte, 2 a whole 16-bit unit, 3 a run of characters
// taken from the plain name at the same places (with a correction byte and the high byte when
// the run's length byte has bit 7 set).
std::u16string unpackUnicodeName(std::span<const uint8_t> plain, std::span<const uint8_t> packed) {
  std::u16string units;
  size_t in = 0;
  const auto more = [&] { return in < packed.size() && units.size() < kMaxNameUnits; };
  if (!more()) return units;
  const char16_t high = static_cast<char16_t>(packed[in++] << 8);
  uint8_t flags = 0;
  int itemsLeft = 0;
  while (more()) {
    if (itemsLeft == 0) {
      flags = packed[in++];
      itemsLeft = 4;
      if (!more()) break;
    }
    const int kind = flags >> 6;
    flags = static_cast<uint8_t>(flags << 2);
    --itemsLeft;
    if (kind == 0) {
      units += static_cast<char16_t>(packed[in++]);
    } else if (kind == 1) {
      units += static_cast<char16_t>(high | packed[in++]);
    } else if (kind == 2) {
      if (in + 2 > packed.size()) break;
      units += static_cast<char16_t>(packed[in] | packed[in + 1] << 8);
      in += 2;
    } else {
      const uint8_t length = packed[in++];
      const bool corrected = length & 0x80;
      if (corrected && in == packed.size()) break;
      const uint8_t correction = corrected ? packed[in++] : 0;
      size_t run = (length & 0x7F) + 2u;
      for (; run > 0 && units.size() < std::min(plain.size(), kMaxNameUnits); --run) {
        const uint8_t byte = plain[units.size()];
        units += corrected ? static_cast<char16_t>(high | static_cast<uint8_t>(byte + correction))
                           : static_cast<char16_t>(byte);
      }
      if (run > 0) break;  // a run past the plain name
    }
  }
  return units;
}

bool isUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<uint8_t>(text[i]);
    size_t follow = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      follow = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      follow = 2;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      follow = 3;
    } else if (lead >= 0x80) {
      return false;
    }
    if (follow >= text.size() - i) return false;
    for (size_t k = 1; k <= follow; ++k) {
      if ((static_cast<uint8_t>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += follow + 1;
  }
  return true;
}

}  // namespace

RarName rarFileName(std::span<const uint8_t> stored, bool unicode) {
  const std::string_view bytes(reinterpret_cast<const char*>(stored.data()), stored.size());
  const size_t zero = bytes.find('\0');
  const std::string_view plain = bytes.substr(0, zero);
  if (!unicode) return {std::string(plain), false};
  if (zero == std::string_view::npos) return {std::string(plain), isUtf8(plain)};
  std::u16string units = unpackUnicodeName(stored.first(zero), stored.subspan(zero + 1));
  // A zero unit ends the name.
  if (const size_t end = units.find(u'\0'); end != std::u16string::npos) units.resize(end);
  std::string decoded = utf16ToUtf8(units);
  if (decoded.empty()) return {std::string(plain), false};
  return {std::move(decoded), true};
}

}  // namespace vellomar

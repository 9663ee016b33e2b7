#include "platform/PText.h"

#include <unicode/ucnv.h>
#include <unicode/ucol.h>
#include <unicode/uset.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace vellomar {

namespace {

// ---- Reading bytes as characters ----

// CP1252 0x80..0x9F; the five bytes it leaves undefined stand for the C1 controls of the
// same value, as the system's own converter reads them.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t cp1252Char(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : char16_t{byte};
}

// How many bytes two texts begin with alike, found eight at a time.
size_t commonPrefixLength(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t wa;
    uint64_t wb;
    std::memcpy(&wa, a.data() + i, sizeof wa);
    std::memcpy(&wb, b.data() + i, sizeof wb);
    if (wa == wb) continue;
    // The first byte in memory is the low one on a little-endian machine.
    const int bit = std::endian::native == std::endian::little ? std::countr_zero(wa ^ wb)
                                                               : std::countl_zero(wa ^ wb);
    return i + static_cast<size_t>(bit / 8);
  }
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

// Length of the valid UTF-8 character at text[pos] (shortest form, no surrogates, at most
// U+10FFFF), 0 when the bytes there do not form one.
size_t utf8CharLength(std::string_view text, size_t pos, char32_t& cp) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[pos + i]); };
  const unsigned char lead = byte(0);
  size_t length;
  char32_t min;
  if (lead < 0x80) {
    cp = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, min = 0x80, cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, min = 0x800, cp = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, min = 0x10000, cp = lead & 0x07;
  } else {
    return 0;
  }
  if (length > text.size() - pos) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

bool isValidUtf8(std::string_view text) {
  char32_t cp;
  for (size_t pos = 0; pos < text.size();) {
    const size_t length = utf8CharLength(text, pos, cp);
    if (length == 0) return false;
    pos += length;
  }
  return true;
}

void appendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

void toUtf16(std::string_view text, std::u16string& out) {
  out.clear();
  char32_t cp;
  for (size_t pos = 0; pos < text.size();) {
    const size_t length = utf8CharLength(text, pos, cp);
    if (length == 0) {
      out.push_back(cp1252Char(static_cast<unsigned char>(text[pos])));
      ++pos;
    } else {
      appendUtf16(out, cp);
      pos += length;
    }
  }
}

std::string toUtf8(const std::u16string& text) {
  if (text.empty()) return {};
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  const auto* source = reinterpret_cast<const UChar*>(text.data());
  const auto sourceLength = static_cast<int32_t>(text.size());
  u_strToUTF8(nullptr, 0, &length, source, sourceLength, &status);
  std::string out(static_cast<size_t>(length), '\0');
  status = U_ZERO_ERROR;
  u_strToUTF8(out.data(), length, &length, source, sourceLength, &status);
  return U_SUCCESS(status) ? out : std::string();
}

int32_t icuLength(std::string_view text) {
  return static_cast<int32_t>(std::min<size_t>(text.size(), INT32_MAX));
}

int sign(int value) {
  return (value > 0) - (value < 0);
}

// ---- The user's locale ----

// The POSIX locale in force for a category: LC_ALL, then the category, then LANG.
std::string userLocale(const char* category) {
  for (const char* name : {"LC_ALL", category, "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return "C";
}

struct LocaleParts {
  std::string_view language, territory, modifier;
};

// "sr_RS.UTF-8@latin" -> sr, RS, latin.
LocaleParts splitLocale(std::string_view name) {
  LocaleParts parts;
  const size_t at = name.find('@');
  if (at != std::string_view::npos) {
    parts.modifier = name.substr(at + 1);
    name = name.substr(0, at);
  }
  name = name.substr(0, name.find('.'));
  const size_t underscore = name.find('_');
  parts.language = name.substr(0, underscore);
  if (underscore != std::string_view::npos) parts.territory = name.substr(underscore + 1);
  return parts;
}

// The ICU name of a POSIX locale; the root collation for "C" and "POSIX".
std::string icuLocale(std::string_view posixName) {
  const LocaleParts parts = splitLocale(posixName);
  if (parts.language.empty() || parts.language == "C" || parts.language == "POSIX") return "";
  std::string name(parts.language);
  if (!parts.territory.empty()) name += "_" + std::string(parts.territory);
  return name;
}

// ---- Collation ----

class Collation {
 public:
  Collation() {
    UErrorCode status = U_ZERO_ERROR;
    collator_ = ucol_open(icuLocale(userLocale("LC_COLLATE")).c_str(), &status);
    if (U_FAILURE(status)) {
      ucol_close(collator_);
      status = U_ZERO_ERROR;
      collator_ = ucol_open("", &status);
      if (U_FAILURE(status)) {
        ucol_close(collator_);
        collator_ = nullptr;
        return;
      }
    }
    ucol_setStrength(collator_, UCOL_SECONDARY);
    ucol_setAttribute(collator_, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    asciiFastPath_ = U_SUCCESS(status) && buildAsciiRanks();
  }
  ~Collation() { ucol_close(collator_); }
  Collation(const Collation&) = delete;
  Collation& operator=(const Collation&) = delete;

  bool asciiKey(std::string_view text, std::string& key) const {
    if (!asciiFastPath_ || !isAsciiText(text)) return false;
    // Written in place and cut after: a key never outgrows its text.
    key.resize(text.size());
    size_t length = 0;
    for (const char c : text) {
      const uint8_t rank = asciiRank_[static_cast<unsigned char>(c)];
      key[length] = static_cast<char>(rank);
      length += rank != 0 ? 1 : 0;
    }
    key.resize(length);
    return true;
  }

  std::optional<int> asciiCompare(std::string_view a, std::string_view b) const {
    if (!isAsciiText(a) || !isAsciiText(b)) return std::nullopt;
    return knownAsciiCompare(a, b);
  }

  // Bytes both begin with alike have the same ranks, so the ranks are compared only from the
  // first byte that differs: names in a list mostly share a long beginning.
  std::optional<int> knownAsciiCompare(std::string_view a, std::string_view b) const {
    if (!asciiFastPath_) return std::nullopt;
    const size_t same = commonPrefixLength(a, b);
    return rankCompare(a.substr(same), b.substr(same));
  }

  bool asciiPrefix(std::string_view text, std::span<uint64_t> prefix) const {
    if (!asciiFastPath_ || !isAsciiText(text)) return false;
    std::fill(prefix.begin(), prefix.end(), 0);
    // The word is built in a register: a store per byte would wait on the one before it.
    size_t word = 0;
    uint64_t bits = 0;
    int taken = 0;
    for (size_t i = 0; i < text.size() && word < prefix.size(); ++i) {
      const uint8_t rank = asciiRank_[static_cast<unsigned char>(text[i])];
      if (rank == 0) continue;
      bits = bits << 8 | rank;
      if (++taken == 8) {
        prefix[word++] = bits;
        bits = 0;
        taken = 0;
      }
    }
    if (taken > 0) prefix[word] = bits << (8 * (8 - taken));
    return true;
  }

  std::string key(std::string_view text) const {
    if (collator_ == nullptr) return lowerText(text);
    thread_local std::u16string wide;
    toUtf16(text, wide);
    const auto* chars = reinterpret_cast<const UChar*>(wide.data());
    const auto length = static_cast<int32_t>(wide.size());
    std::string key(wide.size() * 3 + 16, '\0');
    for (;;) {
      const int32_t needed =
          ucol_getSortKey(collator_, chars, length, reinterpret_cast<uint8_t*>(key.data()),
                          static_cast<int32_t>(key.size()));
      // The count includes the terminating zero, which no other byte of a key is.
      if (needed <= static_cast<int32_t>(key.size())) {
        key.resize(needed > 0 ? static_cast<size_t>(needed) - 1 : 0);
        return key;
      }
      key.resize(static_cast<size_t>(needed));
    }
  }

  int compare(std::string_view a, std::string_view b) const {
    if (asciiFastPath_ && isAsciiText(a) && isAsciiText(b)) return compareAscii(a, b);
    if (collator_ == nullptr) return sign(lowerText(a).compare(lowerText(b)));
    UErrorCode status = U_ZERO_ERROR;
    if (isValidUtf8(a) && isValidUtf8(b)) {
      return ucol_strcollUTF8(collator_, a.data(), icuLength(a), b.data(), icuLength(b), &status);
    }
    thread_local std::u16string wideA, wideB;
    toUtf16(a, wideA);
    toUtf16(b, wideB);
    return ucol_strcoll(
        collator_, reinterpret_cast<const UChar*>(wideA.data()), static_cast<int32_t>(wideA.size()),
        reinterpret_cast<const UChar*>(wideB.data()), static_cast<int32_t>(wideB.size()));
  }

 private:
  // The ranks compared as they come, so that two texts that differ early cost little.
  int rankCompare(std::string_view a, std::string_view b) const {
    size_t i = 0;
    size_t k = 0;
    for (;;) {
      uint8_t ra = 0;
      while (i < a.size() && (ra = asciiRank_[static_cast<unsigned char>(a[i++])]) == 0) {
      }
      uint8_t rb = 0;
      while (k < b.size() && (rb = asciiRank_[static_cast<unsigned char>(b[k++])]) == 0) {
      }
      if (ra != rb) return ra < rb ? -1 : 1;
      if (ra == 0) return 0;
    }
  }

  // Each ASCII character gets the rank of its collation weight (0 when it is ignored), so two
  // ASCII texts compare by their ranks exactly as the collator would compare them. That holds
  // only while no ASCII character expands or contracts ("ch" in Czech, "aa" in Danish); such
  // locales go through the collator every time.
  bool buildAsciiRanks() {
    if (hasAsciiContractionsOrExpansions()) return false;
    std::array<UChar, 128> chars;
    for (int c = 0; c < 128; ++c) chars[c] = static_cast<UChar>(c);
    const auto order = [&](UChar x, UChar y) { return ucol_strcoll(collator_, &x, 1, &y, 1); };
    std::array<UChar, 128> sorted = chars;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](UChar x, UChar y) { return order(x, y) < 0; });
    const UChar empty = 0;
    uint8_t rank = 0;
    for (size_t i = 0; i < sorted.size(); ++i) {
      const UChar c = sorted[i];
      if (ucol_strcoll(collator_, &c, 1, &empty, 0) == 0) {
        asciiRank_[c] = 0;
        continue;
      }
      if (rank == 0 || order(sorted[i - 1], c) != 0) ++rank;
      asciiRank_[c] = rank;
    }
    return true;
  }

  bool hasAsciiContractionsOrExpansions() const {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<USet, decltype(&uset_close)> contractions(uset_openEmpty(), uset_close);
    std::unique_ptr<USet, decltype(&uset_close)> expansions(uset_openEmpty(), uset_close);
    ucol_getContractionsAndExpansions(collator_, contractions.get(), expansions.get(), false,
                                      &status);
    if (U_FAILURE(status)) return true;
    for (USet* set : {contractions.get(), expansions.get()}) {
      const int32_t items = uset_getItemCount(set);
      for (int32_t i = 0; i < items; ++i) {
        UChar32 start, end;
        std::array<UChar, 64> text;
        status = U_ZERO_ERROR;
        const int32_t length =
            uset_getItem(set, i, &start, &end, text.data(), text.size(), &status);
        if (U_FAILURE(status)) return true;
        if (length == 0 && start < 0x80) return true;
        if (length > 0 &&
            std::all_of(text.begin(), text.begin() + length, [](UChar c) { return c < 0x80; })) {
          return true;
        }
      }
    }
    return false;
  }

  int compareAscii(std::string_view a, std::string_view b) const {
    size_t i = 0, j = 0;
    for (;;) {
      while (i < a.size() && asciiRank_[static_cast<unsigned char>(a[i])] == 0) ++i;
      while (j < b.size() && asciiRank_[static_cast<unsigned char>(b[j])] == 0) ++j;
      if (i == a.size() || j == b.size()) return (i < a.size()) - (j < b.size());
      const int ra = asciiRank_[static_cast<unsigned char>(a[i++])];
      const int rb = asciiRank_[static_cast<unsigned char>(b[j++])];
      if (ra != rb) return ra < rb ? -1 : 1;
    }
  }

  UCollator* collator_ = nullptr;
  bool asciiFastPath_ = false;
  std::array<uint8_t, 128> asciiRank_{};
};

const Collation& collation() {
  static const Collation instance;
  return instance;
}

// ---- OEM code pages ----

constexpr int kDefaultOemCodePage = 437;

// The characters of one DOS code page's bytes 0x80..0xFF, read once through the converter;
// the low half is ASCII in all of them.
class OemTable {
 public:
  explicit OemTable(int codePage) {
    for (int i = 0; i < 128; ++i) high_[i] = std::string(1, '?');
    const std::string name = "ibm-" + std::to_string(codePage);
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(name.c_str(), &status);
    if (U_FAILURE(status)) return;
    for (int i = 0; i < 128; ++i) {
      const char byte = static_cast<char>(0x80 + i);
      std::array<UChar, 4> wide;
      status = U_ZERO_ERROR;
      const int32_t length = ucnv_toUChars(converter, wide.data(), wide.size(), &byte, 1, &status);
      if (U_SUCCESS(status)) high_[i] = toUtf8(std::u16string(wide.begin(), wide.begin() + length));
    }
    ucnv_close(converter);
  }

  std::string convert(std::string_view oem) const {
    std::string out;
    out.reserve(oem.size() * 2);
    for (const char c : oem) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte < 0x80) {
        out.push_back(c);
      } else {
        out += high_[byte - 0x80];
      }
    }
    return out;
  }

 private:
  std::array<std::string, 128> high_;
};

const OemTable& oemTable(int codePage) {
  static const OemTable cp437(437), cp850(850), cp852(852), cp866(866);
  switch (codePage) {
    case 850:
      return cp850;
    case 852:
      return cp852;
    case 866:
      return cp866;
    default:
      return cp437;
  }
}

bool isOneOf(std::string_view value, std::initializer_list<std::string_view> values) {
  return std::find(values.begin(), values.end(), value) != values.end();
}

}  // namespace

int compareText(std::string_view a, std::string_view b) {
  return sign(collation().compare(a, b));
}

std::string collationKey(std::string_view text) {
  return collation().key(text);
}

bool asciiCollationKey(std::string_view text, std::string& key) {
  return collation().asciiKey(text, key);
}

std::optional<int> compareAsciiCollation(std::string_view a, std::string_view b) {
  return collation().asciiCompare(a, b);
}

bool isAsciiText(std::string_view text) {
  // Eight bytes at a time: names are checked once per line of long lists.
  uint64_t high = 0;
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, text.data() + i, sizeof word);
    high |= word;
  }
  for (; i < text.size(); ++i) high |= static_cast<unsigned char>(text[i]);
  return (high & 0x8080808080808080ULL) == 0;
}

std::optional<int> compareKnownAsciiCollation(std::string_view a, std::string_view b) {
  return collation().knownAsciiCompare(a, b);
}

bool asciiCollationPrefix(std::string_view text, std::span<uint64_t> prefix) {
  return collation().asciiPrefix(text, prefix);
}

int compareTextThenBytes(std::string_view a, std::string_view b) {
  const int order = compareText(a, b);
  return order != 0 ? order : sign(a.compare(b));
}

std::string textAsUtf8(std::string_view text) {
  if (isAsciiText(text) || isValidUtf8(text)) return std::string(text);
  std::u16string wide;
  toUtf16(text, wide);
  return toUtf8(wide);
}

std::string lowerText(std::string_view text) {
  if (isAsciiText(text)) {
    std::string out(text.size(), '\0');
    lowerAsciiInto(text, out.data());
    return out;
  }
  // Character by character, without context: a name and a mask typed in capitals must fold
  // alike wherever a letter stands (a contextual final sigma would not).
  std::u16string wide;
  toUtf16(text, wide);
  std::u16string lower;
  lower.reserve(wide.size());
  for (size_t i = 0; i < wide.size();) {
    UChar32 c;
    U16_NEXT(wide.data(), i, wide.size(), c);
    c = u_tolower(c);
    if (U_IS_BMP(c)) {
      lower.push_back(static_cast<char16_t>(c));
    } else {
      lower.push_back(static_cast<char16_t>(U16_LEAD(c)));
      lower.push_back(static_cast<char16_t>(U16_TRAIL(c)));
    }
  }
  return toUtf8(lower);
}

bool hasLowerCase(std::string_view text) {
  if (isAsciiText(text)) {
    return std::any_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
  }
  std::u16string wide;
  toUtf16(text, wide);
  for (size_t i = 0; i < wide.size();) {
    UChar32 c;
    U16_NEXT(wide.data(), i, wide.size(), c);
    if (u_toupper(c) != c) return true;
  }
  return false;
}

int oemCodePageOf(std::string_view localeName) {
  const LocaleParts parts = splitLocale(localeName);
  const std::string_view language = parts.language;
  if (isOneOf(language, {"de", "fr", "es", "it", "nl", "pt", "da", "sv", "nb", "nn", "no", "fi",
                         "is", "ca", "eu", "gl", "ga", "lb", "fo"}) ||
      (language == "en" && isOneOf(parts.territory, {"GB", "IE"}))) {
    return 850;
  }
  if (isOneOf(language, {"cs", "sk", "pl", "hu", "sl", "hr", "ro", "sq", "bs"}) ||
      (language == "sr" && parts.modifier == "latin")) {
    return 852;
  }
  if (isOneOf(language, {"ru", "uk", "be", "bg", "mk", "sr"})) return 866;
  return kDefaultOemCodePage;
}

int oemCodePage() {
  static const int codePage = oemCodePageOf(userLocale("LC_CTYPE"));
  return codePage;
}

std::string oemToText(std::string_view oem, int codePage) {
  return oemTable(codePage).convert(oem);
}

}  // namespace vellomar

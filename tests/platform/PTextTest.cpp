#include "platform/PText.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace vellomar {
namespace {

// 254 letters and the first byte of a two-byte character: a name cut at 255 bytes by a
// careless writer.
std::string cutAt255(char letter) {
  return std::string(254, letter) + "\xC3";
}

struct CompareCase {
  const char* what;
  std::string a, b;
  int expected;
};

TEST(CompareText, IgnoresCaseInEveryScript) {
  const CompareCase cases[] = {
      {"ascii, case ignored", "readme.txt", "README.TXT", 0},
      {"ascii order", "abc", "abd", -1},
      {"prefix first", "ab", "ABC", -1},
      {"letters, not bytes", "Zebra", "apple", 1},
      {"latin-1 accents, case ignored", "caf\xC3\xA9", "CAF\xC3\x89", 0},
      {"an accent is not ignored", "cafe", "caf\xC3\xA9", -1},
      {"an accented letter sorts with its letter", "caf\xC3\xA9", "cafz", -1},
      {"sharp s, case of the rest ignored",
       "Stra\xC3\x9F"
       "e",
       "STRA\xC3\x9F"
       "E",
       0},
      {"sharp s sorts as ss",
       "stra\xC3\x9F"
       "e",
       "strast", -1},
      {"greek, final sigma", "\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3", "\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x82",
       0},
      {"greek order", "\xCE\xB1\xCE\xBB\xCF\x86\xCE\xB1", "\xCE\x92\xCE\x97\xCE\xA4\xCE\x91", -1},
      {"cyrillic, case ignored", "\xD0\x9C\xD0\x9E\xD0\xA1\xD0\x9A\xD0\x92\xD0\x90",
       "\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0", 0},
      {"cyrillic order", "\xD0\xAF", "\xD0\xB0", 1},
      {"decomposed equals precomposed", "e\xCC\x81t\xC3\xA9", "\xC3\xA9t\xC3\xA9", 0},
      {"cp1252 bytes are characters", "caf\xE9", "CAF\xC9", 0},
      {"cp1252 equals the same name in utf-8", "\xC9t\xE9", "\xC3\xA9t\xC3\xA9", 0},
      {"cp1252 euro sign", "\x80", "\xE2\x82\xAC", 0},
      {"truncated character read as cp1252", cutAt255('a'), std::string(254, 'A') + "\xC3\x83", 0},
      {"truncated character is not the whole one", cutAt255('a'),
       std::string(254, 'a') + "\xC3\xA9", -1},
  };
  for (const CompareCase& c : cases) {
    EXPECT_EQ(compareText(c.a, c.b), c.expected) << c.what;
    EXPECT_EQ(compareText(c.b, c.a), -c.expected) << c.what << " (swapped)";
  }
}

// Sorting and binary search break silently when the order is not a strict weak order, e.g.
// when the ASCII shortcut and the collator disagree.
TEST(CompareText, IsAStrictWeakOrderAcrossAsciiAndOtherTexts) {
  const std::vector<std::string> texts = {"",
                                          " ",
                                          "a",
                                          "A",
                                          "a b",
                                          "ab",
                                          "a-b",
                                          "a_b",
                                          "a.b",
                                          "a1",
                                          "a10",
                                          "a2",
                                          "\t",
                                          "a\x01"
                                          "b",
                                          "~",
                                          "{",
                                          "0",
                                          "Z",
                                          "z",
                                          "e",
                                          "\xC3\xA9",
                                          "\xE9",
                                          "\xC3\x89",
                                          "e\xCC\x81",
                                          "ss",
                                          "\xC3\x9F",
                                          "SS",
                                          "\xD0\xB0",
                                          "\xCE\xB1",
                                          "\xFF\xFE",
                                          cutAt255('z'),
                                          "zz",
                                          "\xE2\x82\xAC",
                                          "\x80"};
  const size_t n = texts.size();
  for (size_t i = 0; i < n; ++i) {
    EXPECT_EQ(compareText(texts[i], texts[i]), 0) << i;
    for (size_t j = 0; j < n; ++j) {
      const int ij = compareText(texts[i], texts[j]);
      ASSERT_EQ(ij, -compareText(texts[j], texts[i])) << i << " " << j;
      for (size_t k = 0; k < n; ++k) {
        const int jk = compareText(texts[j], texts[k]);
        const int ik = compareText(texts[i], texts[k]);
        if (ij <= 0 && jk <= 0) {
          ASSERT_LE(ik, 0) << i << " " << j << " " << k;
          if (ij < 0 || jk < 0) {
            ASSERT_LT(ik, 0) << i << " " << j << " " << k;
          }
        }
      }
    }
  }
}

// A leading non-ASCII character sends both texts through the collator; the order of what
// follows must not change.
TEST(CompareText, AsciiShortcutAgreesWithTheCollator) {
  const std::vector<std::string> texts = {"",    " ",      "a b", "ab", "a-b", "a_b", "a.b", "A1",
                                          "a10", "a2",     "\t",  "~",  "{",   "0",   "9",   "Z",
                                          "z",   "x\x01y", "xy",  "@",  "'",   "\"",  "a^",  "a`"};
  const std::string accent = "\xC3\xA9";
  for (const std::string& a : texts) {
    for (const std::string& b : texts) {
      EXPECT_EQ(compareText(a, b), compareText(accent + a, accent + b))
          << "'" << a << "' '" << b << "'";
    }
  }
}

// The keys of a sort of many lines stand in for compareText: their byte order must be its order.
TEST(CollationKey, OrdersAsCompareText) {
  const std::vector<std::string> texts = {
      "",   "a",        "A",        "a b",  "ab",       "a-b",       "a1", "a10",
      "a2", "e",        "\xC3\xA9", "\xE9", "\xC3\x89", "e\xCC\x81", "ss", "\xC3\x9F",
      "SS", "\xD0\xB0", "\xFF\xFE", "\x80", "z",        "Z"};
  const auto sign = [](int v) { return (v > 0) - (v < 0); };
  for (const std::string& a : texts) {
    for (const std::string& b : texts) {
      EXPECT_EQ(sign(collationKey(a).compare(collationKey(b))), compareText(a, b))
          << "'" << a << "' '" << b << "'";
    }
  }
}

TEST(AsciiCollationKey, OrdersAsCompareText) {
  const std::vector<std::string> texts = {
      "",   " ",  "a b", "ab", "a-b", "a_b", "a.b",         "A1",          "a10",
      "a2", "\t", "~",   "{",  "0",   "9",   "Z",           "z",           "x\x01y",
      "xy", "@",  "'",   "\"", "a^",  "a`",  "README .TXT", "readme .txt", "read me"};
  const auto sign = [](int v) { return (v > 0) - (v < 0); };
  for (const std::string& a : texts) {
    std::string keyA, keyB;
    ASSERT_TRUE(asciiCollationKey(a, keyA)) << a;
    for (const std::string& b : texts) {
      ASSERT_TRUE(asciiCollationKey(b, keyB));
      EXPECT_EQ(sign(keyA.compare(keyB)), compareText(a, b)) << "'" << a << "' '" << b << "'";
    }
  }
  std::string key;
  EXPECT_FALSE(asciiCollationKey("caf\xC3\xA9", key)) << "not ASCII: compareText decides";
}

// Texts that begin alike for a word or more, then differ in a byte the collation ignores, in
// case only, or in the word's last or next byte.
TEST(CompareKnownAsciiCollation, OrdersAsCompareText) {
  const std::vector<std::string> texts = {"file_00012.txt",
                                          "file_00013.txt",
                                          "file_0001.txt",
                                          "file-00012.txt",
                                          "File_00012.txt",
                                          "file_00012.tx",
                                          "file_0001",
                                          "filename",
                                          "filenamf",
                                          "file name",
                                          "filenam",
                                          "FILENAME",
                                          "",
                                          "f",
                                          "abcdefgh",
                                          "abcdefgi",
                                          "abcdefgh-",
                                          "abcdefg-h",
                                          "abcdefghabcdefgh1",
                                          "abcdefghabcdefgh-1"};
  for (const std::string& a : texts) {
    ASSERT_TRUE(isAsciiText(a));
    for (const std::string& b : texts) {
      const std::optional<int> order = compareKnownAsciiCollation(a, b);
      ASSERT_TRUE(order.has_value());
      EXPECT_EQ(*order, compareText(a, b)) << "'" << a << "' '" << b << "'";
      EXPECT_EQ(compareAsciiCollation(a, b), order) << "'" << a << "' '" << b << "'";
    }
  }
  EXPECT_FALSE(isAsciiText("abcdefgh\xC3\xA9"));
  EXPECT_FALSE(compareAsciiCollation("abcdefgh\xC3\xA9", "abcdefgh").has_value());
}

TEST(AsciiCollationPrefix, IsTheKeysFirstEightBytes) {
  for (const std::string text : {"", "a", "x\x01y", "abcdefgh", "abcdefghij", "README .TXT"}) {
    std::string key;
    ASSERT_TRUE(asciiCollationKey(text, key)) << text;
    key.resize(8, '\0');
    uint64_t expected = 0;
    for (const char c : key) expected = expected << 8 | static_cast<uint8_t>(c);
    uint64_t prefix = 1;
    ASSERT_TRUE(asciiCollationPrefix(text, prefix)) << text;
    EXPECT_EQ(prefix, expected) << text;
  }
  uint64_t prefix = 0;
  EXPECT_FALSE(asciiCollationPrefix("abcdefgh\xE9", prefix)) << "a byte past the eighth counts";
  // Two numbers: the key's bytes eight to fifteen in the second.
  for (const std::string text : {"abc", "txta0000223_35926", "a b-c.d_e f g h i j"}) {
    std::string key;
    ASSERT_TRUE(asciiCollationKey(text, key)) << text;
    key.resize(16, '\0');
    std::array<uint64_t, 2> expected{};
    for (size_t b = 0; b < 16; ++b) {
      expected[b / 8] = expected[b / 8] << 8 | static_cast<uint8_t>(key[b]);
    }
    std::array<uint64_t, 2> words{1, 1};
    ASSERT_TRUE(asciiCollationPrefix(text, words)) << text;
    EXPECT_EQ(words, expected) << text;
  }
}

TEST(CompareTextThenBytes, KeepsNamesThatDifferOnlyInCase) {
  EXPECT_EQ(compareTextThenBytes("README", "Readme"), -1);
  EXPECT_EQ(compareTextThenBytes("Readme", "README"), 1);
  EXPECT_EQ(compareTextThenBytes("Readme", "Readme"), 0);
  EXPECT_EQ(compareTextThenBytes("b", "A"), 1) << "the text order comes first";
  EXPECT_EQ(compareTextThenBytes("caf\xE9", "caf\xC3\xA9"), 1);
  EXPECT_TRUE(sameText("caf\xE9", "CAF\xC3\x89"));
}

struct LowerCase {
  const char* what;
  std::string text, expected;
};

TEST(LowerText, LowersCharactersNotBytes) {
  const LowerCase cases[] = {
      {"ascii", "README.TXT", "readme.txt"},
      {"ascii bytes next to the letters, in whole words and the rest", "@AZ[`az{@AZ[`az{~",
       "@az[`az{@az[`az{~"},
      {"a non-ascii character after a whole word of ascii", "ABCDEFGH\xC3\x89", "abcdefgh\xC3\xA9"},
      {"a non-ascii character in the first word",
       "A\xC3\x89"
       "CDEFGHIJ",
       "a\xC3\xA9"
       "cdefghij"},
      {"I is i in every locale", "INI", "ini"},
      {"latin-1 accents",
       "\xC3\x89"
       "COLE",
       "\xC3\xA9"
       "cole"},
      {"capital sharp s is shorter in lower case",
       "STRA\xE1\xBA\x9E"
       "E",
       "stra\xC3\x9F"
       "e"},
      {"greek sigma folds alike wherever it stands", "\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3",
       "\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x83"},
      {"cyrillic", "\xD0\x9C\xD0\x9E\xD0\xA1\xD0\x9A\xD0\x92\xD0\x90",
       "\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0"},
      {"dotted capital I is shorter in lower case", "\xC4\xB0", "i"},
      {"cp1252 bytes come out as utf-8", "\xC9T\xC9", "\xC3\xA9t\xC3\xA9"},
      {"a truncated character is a cp1252 character", cutAt255('A'),
       std::string(254, 'a') + "\xC3\xA3"},
      {"empty", "", ""},
  };
  for (const LowerCase& c : cases) EXPECT_EQ(lowerText(c.text), c.expected) << c.what;
}

TEST(OemCodePage, FollowsTheLocale) {
  const std::pair<const char*, int> cases[] = {
      {"C", 437},           {"", 437},
      {"en_US.UTF-8", 437}, {"en_GB.UTF-8", 850},
      {"de_DE", 850},       {"fr_FR.UTF-8@euro", 850},
      {"pt_BR.UTF-8", 850}, {"pl_PL.UTF-8", 852},
      {"cs_CZ", 852},       {"sr_RS@latin", 852},
      {"ru_RU.UTF-8", 866}, {"uk_UA", 866},
      {"ja_JP.UTF-8", 437},
  };
  for (const auto& [locale, codePage] : cases) EXPECT_EQ(oemCodePageOf(locale), codePage) << locale;
}

struct OemCase {
  int codePage;
  std::string oem, expected;
};

TEST(OemToText, ConvertsDosNamesToUtf8) {
  const OemCase cases[] = {
      {437, "README.TXT", "README.TXT"},
      {437, "\x80\x81\x82\xE1", "\xC3\x87\xC3\xBC\xC3\xA9\xC3\x9F"},
      {437, "\x9D\xC4", "\xC2\xA5\xE2\x94\x80"},
      {850, "\x9D", "\xC3\x98"},
      {852, "\xA5\x88", "\xC4\x85\xC5\x82"},
      {866, "\x8C\xAE\xE1\xAA\xA2\xA0", "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0"},
      {1234, "\x80", "\xC3\x87"},
  };
  for (const OemCase& c : cases) EXPECT_EQ(oemToText(c.oem, c.codePage), c.expected) << c.codePage;
}

}  // namespace
}  // namespace vellomar

namespace vellomar {
namespace {

TEST(HasLowerCase, TellsNamesEntirelyInCapitals) {
  const std::pair<const char*, bool> cases[] = {
      {"README.TXT", false},
      {"Readme.txt", true},
      {"1999", false},
      {"\xC3\x89"
       "COLE",
       false},  // ÉCOLE
      {"\xC3\xA9"
       "cole",
       true},                                       // école
      {"\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3", false},  // ΟΔΟΣ
      {"\xE6\x97\xA5\xE6\x9C\xAC.TXT", false},      // caseless script, capital extension
      {"\xE6\x97\xA5\xE6\x9C\xAC.txt", true},
      {"CAF\xC9", false},  // CP1252 É
      {"caf\xE9", true},   // CP1252 é
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(hasLowerCase(text), expected) << text;
}

}  // namespace
}  // namespace vellomar

namespace vellomar {
namespace {

TEST(TextAsUtf8, Cp1252BytesBecomeTheirCharacters) {
  const std::pair<const char*, const char*> cases[] = {
      {"plain.txt", "plain.txt"},
      {"caf\xC3\xA9", "caf\xC3\xA9"},              // valid UTF-8 stays
      {"caf\xE9", "caf\xC3\xA9"},                  // CP1252 e acute
      {"\x80 \xC3\xA9", "\xE2\x82\xAC \xC3\xA9"},  // a bad byte beside a good character
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(textAsUtf8(text), expected) << text;
}

}  // namespace
}  // namespace vellomar

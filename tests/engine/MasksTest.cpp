#include "engine/UMasks.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "engine/api/ULocalOptions.h"
#include "platform/PText.h"

namespace vellomar {
namespace {

constexpr bool kStrict = true;
constexpr bool kLoose = false;
constexpr bool kCase = true;
constexpr bool kNoCase = false;

TEST(Masks, MatchesMaskTable) {
  const struct {
    const char* mask;
    const char* name;
    bool caseSensitive;
    bool strict;
    bool matches;
  } cases[] = {
      // A star at an end lifts that end's anchor; strict anchors at the name's ends.
      {"*.txt", "a.txt", kNoCase, kStrict, true},
      {"*.txt", "a.txt.bak", kNoCase, kStrict, false},
      {"*.txt", "a.txt.bak", kNoCase, kLoose, true},
      {"*.txt", "a.txt.txt", kNoCase, kStrict, true},
      {"*.txt", "a.txt.txt", kNoCase, kLoose, true},
      {"*.txt", "A.TXT", kNoCase, kStrict, true},
      {"*.txt", "A.TXT", kCase, kStrict, false},
      {"a*b", "ab", kNoCase, kStrict, true},
      {"a*b", "axxb", kNoCase, kStrict, true},
      {"a*b", "axxbc", kNoCase, kStrict, false},
      {"a**b", "axxb", kNoCase, kStrict, false},
      {"a**b", "axxb", kNoCase, kLoose, false},
      {"a**b", "a**b", kNoCase, kStrict, true},
      {"*", "", kNoCase, kStrict, true},
      {"*", "anything", kCase, kLoose, true},
      {"**", "x", kNoCase, kLoose, false},
      // Without strict a mask finds whole words; only letters and non-ASCII are word characters.
      {"data", "data2", kNoCase, kLoose, true},
      {"data", "database", kNoCase, kLoose, false},
      {"data", "old_data.bin", kNoCase, kLoose, true},
      {"red", "big red car", kNoCase, kLoose, true},
      {"red", "red-1", kNoCase, kLoose, true},
      {"red", "reddish", kNoCase, kLoose, false},
      {"red", "big red car", kNoCase, kStrict, false},
      {"red", "BIG RED CAR", kCase, kLoose, false},
      {"caf", "café", kNoCase, kLoose, false},
      // A later occurrence is tried when the first does not fit.
      {"red", "tired red", kNoCase, kLoose, true},
      {"re*car", "tired red car", kNoCase, kLoose, true},
      {"ab*", "xab ab1", kNoCase, kLoose, true},
      {"ab*", "xab", kNoCase, kLoose, false},
      {"*a?c", "abcxabcx", kNoCase, kStrict, false},
      {"*a?c", "abcxabc", kNoCase, kStrict, true},
      // Strict without a star: the mask must cover the whole name.
      {"c?t", "cat", kNoCase, kStrict, true},
      {"c?t", "cats", kNoCase, kStrict, false},
      {"c?t", "a cat", kNoCase, kLoose, true},
      {"cat", "CAT", kNoCase, kStrict, true},
      {"cat", "cats", kNoCase, kStrict, false},
      // "?" is one character, however many bytes it takes.
      {"caf?.txt", "caf\xC3\xA9.txt", kCase, kStrict, true},
      {"caf?.txt", "CAF\xC9.TXT", kNoCase, kStrict, true},  // CP1252 name of an old catalogue
      {"?", "\xE2\x82\xAC", kCase, kStrict, true},
      {"??", "\xE2\x82\xAC", kCase, kStrict, false},
      // A literal part is found after non-ASCII characters as after ASCII ones.
      {"*.txt", "caf\xC3\xA9.TXT", kNoCase, kStrict, true},
      {"*port*", "r\xC3\xA9port", kNoCase, kLoose, true},
      {"*\xC3\xA9p*", "R\xC3\x89PORT", kNoCase, kLoose, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchesMask(c.mask, c.name, c.caseSensitive, c.strict), c.matches)
        << "mask \"" << c.mask << "\" name \"" << c.name << "\" case " << c.caseSensitive
        << " strict " << c.strict;
  }
}

TEST(Masks, NonAsciiMasksFindNonAsciiNames) {
  const struct {
    const char* typed;
    const char* name;
    bool matches;
  } cases[] = {
      {"ÄRGER.TXT", "ärger.txt", true},   {"*ärger*", "GROSSER ÄRGER.DOC", true},
      {"отчёт*", "ОТЧЁТ 2001.DOC", true}, {"ОТЧЁТ", "годовой отчёт.doc", true},
      {"отчёт", "отчёты.doc", false},     {"Łódź", "w ŁODZI", false},
  };
  for (const auto& c : cases) {
    // The mask passes through the same lower-casing as the name.
    TItemCollection<TMaskItem> masks(10, 10);
    ParseMaskListEx(c.typed, masks, kNoCase, false, false);
    ASSERT_EQ(masks.Count(), 1);
    const ShortString mask = GetPStr(masks.ItemAt(0)->Mask);
    EXPECT_EQ(MatchesMask(mask.view(), c.name, kNoCase, kLoose), c.matches) << c.typed;
  }
}

// A search folds each name once and matches it against every mask taken apart once: the same
// answers as MatchesMask on the joined name, for ASCII names, others, and texts past the room
// kept on the stack.
TEST(Masks, CompiledMasksOverOneFoldedName) {
  const std::string longName = std::string(600, 'x') + " Report";
  const struct {
    const char* name;
    std::string ext;
  } names[] = {
      {"Annual REPORT 2001", ".TXT"}, {"caf\xC3\xA9 report", ".doc"}, {"CAF\xC9 REPORT", ".TXT"},
      {"r\xC3\xA9port", ""},          {longName.c_str(), ".txt"},     {"", ""},
  };
  const char* masks[] = {"*report*", "*.txt", "report", "r?port*",     "*\xC3\xA9*",
                         "*report",  "*",     "**",     "annual*.txt", "*caf?*"};
  for (const bool caseSensitive : {kNoCase, kCase}) {
    for (const auto& n : names) {
      MaskName folded;
      folded.set(n.name, n.ext, caseSensitive);
      const std::string joined = std::string(n.name) + n.ext;
      for (const char* mask : masks) {
        for (const bool strict : {kStrict, kLoose}) {
          EXPECT_EQ(CompiledMask(mask).matches(folded, strict),
                    MatchesMask(mask, joined, caseSensitive, strict))
              << "mask \"" << mask << "\" name \"" << joined.substr(0, 40) << "\" case "
              << caseSensitive << " strict " << strict;
        }
      }
    }
  }
}

TEST(Masks, ManyStarsStayFast) {
  std::string stars;
  for (int i = 0; i < 29; ++i) stars += "*a";
  stars += "*b";  // 30 stars
  std::string wild;
  for (int i = 0; i < 30; ++i) wild += "*?a";
  const std::string noB(255, 'a');
  const std::string endsInB = std::string(254, 'a') + "b";
  const auto start = std::chrono::steady_clock::now();
  for (int round = 0; round < 100; ++round) {
    EXPECT_FALSE(MatchesMask(stars, noB, kCase, kStrict));
    EXPECT_TRUE(MatchesMask(stars, endsInB, kCase, kStrict));
    EXPECT_TRUE(MatchesMask(wild, noB, kCase, kStrict));
    EXPECT_FALSE(MatchesMask(wild + "c", noB, kCase, kLoose));
    EXPECT_EQ(FindMaskInText(stars, noB, kCase, true, true), -1);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

std::vector<std::string> parsedEx(const char* text, bool caseSensitive, bool addWildcards,
                                  bool phrase) {
  TItemCollection<TMaskItem> masks(10, 10);
  masks.Add(new TMaskItem("left from before"));
  ParseMaskListEx(text, masks, caseSensitive, addWildcards, phrase);
  std::vector<std::string> out;
  for (const TMaskItem* item : masks.Items()) out.push_back(GetPStr(item->Mask).str());
  return out;
}

TEST(Masks, ParseMaskListExTable) {
  using Masks = std::vector<std::string>;
  const struct {
    const char* text;
    bool caseSensitive, addWildcards, phrase;
    Masks masks;
  } cases[] = {
      {"*.doc; *.txt", kNoCase, false, false, {"*.doc", "*.txt"}},
      {"  *.doc;*.txt   x ", kNoCase, false, false, {"*.doc", "*.txt", "x"}},
      {"big red", kNoCase, false, false, {"big", "red"}},
      {"big red", kNoCase, false, true, {"big red"}},
      {"big  red;car", kNoCase, false, true, {"big  red", "car"}},  // quoted blanks stay
      {"\"big red\" car", kNoCase, false, false, {"big red", "car"}},
      {"BIG Red", kNoCase, false, true, {"big red"}},
      {"BIG Red", kCase, false, true, {"BIG Red"}},
      {"report", kNoCase, true, false, {"*report*"}},
      {"*report rep*", kNoCase, true, false, {"*report*", "*rep*"}},
      {"", kNoCase, false, true, {}},
      {"", kNoCase, true, true, {}},
      {";;", kNoCase, true, false, {}},
      {"a\"\"b", kNoCase, false, false, {"a\"b"}},
      {"a\"\"b", kNoCase, false, true, {"a\"b"}},
      {"say \"\"hi\"\"", kNoCase, false, true, {"say \"hi\""}},
      // Blanks or separators after a quoted mask: no mask between them, and no quote to strip.
      {"\"a\"  b", kNoCase, false, false, {"a", "b"}},
      {"\"big red\";;car", kNoCase, true, false, {"*big red*", "*car*"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parsedEx(c.text, c.caseSensitive, c.addWildcards, c.phrase), c.masks)
        << "text [" << c.text << "] case " << c.caseSensitive << " wildcards " << c.addWildcards
        << " phrase " << c.phrase;
  }
}

TEST(Masks, ParseMaskListSharesModulesByName) {
  TItemCollection<TMaskItem> masks(50, 100);
  TItemCollection<TFilterModule> modules(50, 100);
  auto* kept = new TFilterModule("rtf");
  modules.Add(kept);
  ParseMaskList(kDefaultDescFileTable, masks, modules, kNoCase);

  const struct {
    const char* mask;
    int32_t maxChars;
    const char* module;
  } expected[] = {
      {"*.txt", 500, nullptr},   {"*.doc", 1000, "uni"},  {"*.wri", 500, "uni"},
      {"*.htm", 500, "html"},    {"*.html", 500, "html"}, {"*.rtf", 500, "rtf"},
      {"*.mp3", 1000, "mp3tag"},
  };
  ASSERT_EQ(masks.Count(), static_cast<int32_t>(std::size(expected)));
  for (size_t i = 0; i < std::size(expected); ++i) {
    const TMaskItem* item = masks.ItemAt(static_cast<int32_t>(i));
    EXPECT_EQ(GetPStr(item->Mask).view(), expected[i].mask);
    EXPECT_EQ(item->MaxChars, expected[i].maxChars) << expected[i].mask;
    if (expected[i].module == nullptr) {
      EXPECT_EQ(item->Module, nullptr);
    } else {
      ASSERT_NE(item->Module, nullptr);
      EXPECT_EQ(item->Module->Name.view(), expected[i].module);
    }
  }
  EXPECT_EQ(masks.ItemAt(1)->Module, masks.ItemAt(2)->Module);
  EXPECT_EQ(masks.ItemAt(5)->Module, kept) << "a module already listed is used again";
  EXPECT_EQ(modules.Count(), 4) << "rtf, uni, html, mp3tag";
}

TEST(Masks, ParseMaskListLimitsAndBounds) {
  TItemCollection<TMaskItem> masks(10, 10);
  TItemCollection<TFilterModule> modules(10, 10);
  const std::string table =
      std::string("*.A|5|X|*.b|500||*.c|lots||*.d|-3000000||*.e|99") + '\0' + "*.never|1||";
  ParseMaskList(table, masks, modules, kCase);
  const struct {
    const char* mask;
    int32_t maxChars;
  } expected[] = {{"*.A", 5000}, {"*.b", 500}, {"*.c", 0}, {"*.d", INT32_MIN}, {"*.e", 99000}};
  ASSERT_EQ(masks.Count(), static_cast<int32_t>(std::size(expected)));
  for (size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(GetPStr(masks.ItemAt(static_cast<int32_t>(i))->Mask).view(), expected[i].mask);
    EXPECT_EQ(masks.ItemAt(static_cast<int32_t>(i))->MaxChars, expected[i].maxChars);
  }
  EXPECT_EQ(modules.ItemAt(0)->Name.view(), "X") << "kept as written when case counts";
}

TEST(Masks, FindMaskInTextTable) {
  const struct {
    const char* mask;
    const char* text;
    bool caseSensitive, searchAsAnsi, searchAsOem;
    int offset;
  } cases[] = {
      {"*", "", kNoCase, true, false, 0},
      {"**", "abc", kNoCase, true, false, -1},
      {"red", "shredded red", kNoCase, true, false, 9},
      {"red", "Big RED car", kNoCase, true, false, 4},
      {"red", "Big RED car", kCase, true, false, -1},
      {"red*car", "a shredded red old car.", kNoCase, true, false, 11},
      {"red*car", "a reddish old car", kNoCase, true, false, 2},
      {"*ish", "a reddish red", kNoCase, true, false, 6},
      {"r?d", "a rod", kNoCase, true, false, 2},
      // Offsets count in the text as given, though lower-casing changes byte lengths.
      {"red", "\xC4\xB0\xC4\xB0 red", kNoCase, true, false, 5},  // "İİ red"
      {"red", "caf\xC9 red", kNoCase, true, false, 5},           // CP1252 "CAFÉ red"
      // 0x84 is "ä" in the DOS code pages of the West, a quotation mark in CP1252.
      {"ärger", "\x84rger", kNoCase, true, false, -1},
      {"ärger", "\x84rger", kNoCase, true, true, 0},
      {"ärger", "\x84rger", kNoCase, false, true, 0},
      {"red", "\x84\x84 red", kNoCase, false, true, 3},
      {"ärger", "\x84rger \xE4rger", kNoCase, true, true, 6},  // the plain try comes first
      {"ärger", "\x84rger \xE4rger", kNoCase, false, true, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindMaskInText(c.mask, c.text, c.caseSensitive, c.searchAsAnsi, c.searchAsOem),
              c.offset)
        << "mask \"" << c.mask << "\" text \"" << c.text << "\" ansi " << c.searchAsAnsi << " oem "
        << c.searchAsOem;
  }
}

TEST(Masks, WildSearches) {
  EXPECT_EQ(FindWildPos("b?d",
                        "a b\xC3\xA1"
                        "d"),
            3);
  EXPECT_EQ(FindWildPos("b?d",
                        "a b\xC3\xA1"
                        "xd"),
            0);
  EXPECT_EQ(FindWildPos("", "abc"), 0);
  EXPECT_EQ(FindWildPos("abc", "ab"), 0);
  EXPECT_EQ(FindWildInText("?c", "abc"), 1);
  EXPECT_EQ(FindWildInText("x", "abc"), -1);
  EXPECT_EQ(FindWildInTextConv("\xC3\xA4?", "ab \x84Z", true, kNoCase), 3);
  EXPECT_EQ(FindWildInTextConv("\xC3\xA4?", "ab \x84Z", true, kCase), 3);
  EXPECT_EQ(FindWildInTextConv("\xC3\xA4z", "ab \x84Z", true, kCase), -1);
  EXPECT_EQ(FindWildInTextConv("\xC3\xA4z", "ab \x84Z", false, kNoCase), -1);
}

TEST(Masks, FindLastPatternTable) {
  const struct {
    std::string buffer;
    std::string pattern;
    size_t position;
  } cases[] = {
      {"PK\x05\x06", "PK\x05\x06", 1},
      {std::string("PK\x05\x06....PK\x05\x06..", 14), "PK\x05\x06", 9},
      {std::string("\0\0PK\x05", 5), "PK\x05\x06", 0},
      {"abc", "", 0},
      {"ab", "abc", 0},
      {std::string(70000, 'x') + "ab", "ab", 70001},
  };
  for (const auto& c : cases) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(c.buffer.data());
    EXPECT_EQ(FindLastPattern({bytes, c.buffer.size()}, c.pattern), c.position);
  }
}

}  // namespace
}  // namespace vellomar

#include "platform/PAsciiText.h"

#include <gtest/gtest.h>

#include <string>

namespace vellomar {
namespace {

TEST(AsciiText, TrimsOnlyTheNamedBlanks) {
  struct Case {
    std::string text;
    std::string_view blanks;
    std::string start, end, both;
  };
  const Case cases[] = {
      {"  a b  ", kSpaces, "a b  ", "  a b", "a b"},
      {" \ta\t ", kSpaces, "\ta\t ", " \ta\t", "\ta\t"},
      {" \ta\t ", kSpacesAndTabs, "a\t ", " \ta", "a"},
      {std::string("\0\r\n a \x1F", 7), kSpaceAndControls, "a \x1F", std::string("\0\r\n a", 5),
       "a"},
      {"\xA0x\xA0", kSpaceAndControls, "\xA0x\xA0", "\xA0x\xA0", "\xA0x\xA0"},
      {"   ", kSpaces, "", "", ""},
      {"", kSpaces, "", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(trimStart(c.text, c.blanks), c.start) << c.text;
    EXPECT_EQ(trimEnd(c.text, c.blanks), c.end) << c.text;
    EXPECT_EQ(trim(c.text, c.blanks), c.both) << c.text;
  }
}

TEST(AsciiText, ChangesTheCaseOfAsciiLettersOnly) {
  // "Ä" in UTF-8 and a CP1252 byte keep their bytes.
  const std::string mixed = "Read.Me [@`{] \xC3\x84\xE4 z9";
  EXPECT_EQ(lowerAscii(mixed), "read.me [@`{] \xC3\x84\xE4 z9");
  EXPECT_EQ(upperAscii(mixed), "READ.ME [@`{] \xC3\x84\xE4 Z9");
  EXPECT_EQ(lowerAscii('Q'), 'q');
  EXPECT_EQ(upperAscii('@'), '@');

  EXPECT_TRUE(sameAsciiIgnoringCase("VUnZip32.DLL", "vunzip32.dll"));
  EXPECT_TRUE(sameAsciiIgnoringCase("", ""));
  EXPECT_FALSE(sameAsciiIgnoringCase("a.dll", "a.dl"));
  EXPECT_FALSE(sameAsciiIgnoringCase("\xC3\x84", "\xC3\xA4"));  // not "Ä" and "ä"
  EXPECT_FALSE(sameAsciiIgnoringCase("[", "{"));
}

}  // namespace
}  // namespace vellomar

#include "foundation/UShortString.h"

#include <gtest/gtest.h>

#include <string>

namespace vellomar {
namespace {

struct CutCase {
  const char* what;
  std::string text;
  size_t limit;
  size_t expected;
};

TEST(Utf8CutLength, NeverCutsACharacterInTwo) {
  const CutCase cases[] = {
      {"short text is kept", "abc", 10, 3},
      {"ascii cut anywhere", "abcdef", 4, 4},
      {"two-byte char left out whole", "ab\xC3\xA9", 3, 2},
      {"two-byte char fits exactly", "ab\xC3\xA9z", 4, 4},
      {"three-byte char", "a\xE2\x82\xAC", 3, 1},
      {"four-byte char", "\xF0\x9F\x98\x80x", 3, 0},
      {"cut right after a lead byte", "\xC3\xA9\xC3\xA9", 1, 0},
      {"cp1252 bytes count one each", "caf\xE9 bar", 4, 4},
      {"stray continuation bytes", "\x80\x80\x80\x80\x80", 3, 3},
      {"truncated sequence at the end", "ab\xE2\x82", 3, 3},
  };
  for (const CutCase& c : cases) {
    EXPECT_EQ(utf8CutLength(c.text, c.limit), c.expected) << c.what;
  }
}

TEST(ShortString, LongTextIsCutAtACharacterBoundary) {
  std::string text(254, 'a');
  text += "\xC3\xA9";  // 256 bytes: the last character does not fit in 255
  const ShortString s(text);
  EXPECT_EQ(s.length(), 254);
  EXPECT_EQ(ShortString(std::string(300, 'x')).length(), 255);
}

}  // namespace
}  // namespace vellomar

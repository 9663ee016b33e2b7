#include "foundation/UShortString.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

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

std::string letters(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += static_cast<char>('a' + i % 26);
  return s;
}

// Every length, since the copy goes in pieces of 16, 8, 4 and 1 bytes: the text, then zeros to
// the end of the field, which records that keep the whole field write.
TEST(ShortString, HoldsTheTextThenZeros) {
  const std::string source = letters(ShortString::kMaxLength);
  for (int n = 0; n <= ShortString::kMaxLength; ++n) {
    const ShortString s(std::string_view(source).substr(0, n));
    ASSERT_EQ(s.view(), std::string_view(source).substr(0, n)) << n;
    const std::string_view field(s.data(), ShortString::kMaxLength);
    EXPECT_EQ(field.find_first_not_of('\0', n), std::string_view::npos) << n;
  }
}

struct CopyCase {
  const char* what;
  std::string source;
  int index;
  int count;
  std::string expected;
};

TEST(ShortCopy, TakesTheRunThatExists) {
  const std::string long200 = letters(200);
  const CopyCase cases[] = {
      {"middle run", "abcdef", 2, 3, "bcd"},
      {"count cut at the end", long200, 150, 100, long200.substr(149)},
      {"lengths past 127 are unsigned", letters(255), 200, 56, letters(255).substr(199)},
      {"index one past the end", "abc", 4, 1, ""},
      {"index 0", "abc", 0, 5, ""},
      {"negative index", "abc", -1, 2, ""},
      {"count 0", "abc", 1, 0, ""},
      {"negative count", "abc", 1, -3, ""},
      {"huge count does not wrap", "abc", 2, 2147483647, "bc"},
  };
  for (const CopyCase& c : cases) {
    EXPECT_EQ(ShortCopy(ShortString(c.source), c.index, c.count).view(), c.expected) << c.what;
  }
}

TEST(ShortDelete, CutsOrClosesTheGap) {
  const CopyCase cases[] = {
      {"inner run closes up", "abcdef", 2, 3, "aef"},
      {"run past the end cuts", "abcdef", 3, 1000, "ab"},
      {"whole string", "abcdef", 1, 6, ""},
      {"last character", "abcdef", 6, 1, "abcde"},
      {"index past the end", "abc", 4, 1, "abc"},
      {"index 0", "abc", 0, 1, "abc"},
      {"count 0", "abc", 1, 0, "abc"},
      {"huge count does not wrap", "abcdef", 3, 2147483647, "ab"},
  };
  for (const CopyCase& c : cases) {
    ShortString s(c.source);
    ShortDelete(s, c.index, c.count);
    EXPECT_EQ(s.view(), c.expected) << c.what;
  }
}

struct InsertCase {
  const char* what;
  std::string source;
  std::string dest;
  int capacity;
  int index;
  std::string expected;
};

TEST(ShortInsert, StaysWithinTheDestinationField) {
  const std::string d250 = letters(250);
  const InsertCase cases[] = {
      {"before the first", "XY", "abc", 255, 1, "XYabc"},
      {"in the middle", "XY", "abc", 255, 3, "abXYc"},
      {"index past the end appends", "XY", "abc", 255, 1000, "abcXY"},
      {"index 0 does nothing", "XY", "abc", 255, 0, "abc"},
      {"only 5 of 10 fit in 255", "0123456789", d250, 255, 1, "01234" + d250},
      {"append cut to the capacity", "XYZ", "abc", 5, 4, "abcXY"},
      {"insert cut to the capacity", "XYZ", "abc", 4, 2, "aXbc"},
      {"full field takes nothing", "XY", "abcd", 4, 2, "abcd"},
      {"capacity above 255 counts as 255", "0123456789", d250, 1000, 251, d250 + "01234"},
      {"a character that does not fit whole is left out", "\xC3\xA9", "abc", 4, 4, "abc"},
      {"cut before a character", "x\xC3\xA9", "abc", 5, 2, "axbc"},
  };
  for (const InsertCase& c : cases) {
    ShortString dest(c.dest);
    ShortInsert(ShortString(c.source), dest, c.capacity, c.index);
    EXPECT_EQ(dest.view(), c.expected) << c.what;
  }
}

TEST(HeapShortStr, BlocksComeIn16ByteGranules) {
  const std::pair<int, size_t> sizes[] = {{0, 16},    {15, 16},   {16, 32},  {31, 32},
                                          {239, 240}, {240, 256}, {255, 256}};
  for (const auto& [length, bytes] : sizes) EXPECT_EQ(heapShortStrSize(length), bytes) << length;
}

TEST(HeapShortStr, KeepsACopyAndReadsNullAsEmpty) {
  const std::string texts[] = {"", "x", letters(16), letters(255)};
  for (const std::string& text : texts) {
    HeapShortStr* p = NewShortStr(ShortString(text));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(GetPStr(p).view(), text);
    DisposeShortStr(p);
    EXPECT_EQ(p, nullptr);
  }
  HeapShortStr* none = nullptr;
  EXPECT_TRUE(GetPStr(none).empty());
  DisposeShortStr(none);
  EXPECT_EQ(none, nullptr);
}

}  // namespace
}  // namespace vellomar

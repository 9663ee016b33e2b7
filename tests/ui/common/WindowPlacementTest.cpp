#include "ui/common/UWindowPlacement.h"

#include <gtest/gtest.h>

#include "foundation/UIniFile.h"

namespace vellomar {
namespace {

// Stored bounds at the ends of the integers: nothing overflows, the window lands on the screen.
TEST(IniFile, HostileBoundsGiveAWindowOnTheScreen) {
  const QRect screen(0, 0, 1024, 768);
  const QRect fallback(10, 20, 300, 200);
  struct Case {
    const char* keys;
    QRect expected;
  };
  const Case cases[] = {
      {"Left=2147483647\nTop=0\nWidth=800\nHeight=600", QRect(224, 0, 800, 600)},
      {"Left=-2147483648\nTop=-2147483648\nWidth=800\nHeight=600", QRect(0, 0, 800, 600)},
      {"Left=100\nTop=2147483647\nWidth=2147483647\nHeight=2147483647", QRect(100, 568, 300, 200)},
      {"Left=0\nTop=0\nWidth=-2147483648\nHeight=0", QRect(0, 0, 300, 200)},
      {"Left=99999999999\nTop=abc\nWidth=4000\nHeight=3000", QRect(0, 0, 1024, 768)},
      {"Left=5000\nTop=5000\nWidth=300\nHeight=200", QRect(724, 568, 300, 200)},
      {"Left=40\nTop=30\nWidth=320\nHeight=200", QRect(40, 30, 320, 200)},
  };
  for (const Case& c : cases) {
    const IniFile ini = IniFile::fromText(std::string("[W]\n") + c.keys + "\n");
    EXPECT_EQ(readBounds(ini, "W", fallback, screen), c.expected) << c.keys;
  }
  const IniFile ini = IniFile::fromText("[A]\nlow=-1\nhigh=11\nin=10\n");
  EXPECT_EQ(ini.readInteger("A", "low", 5, 0, 10), 5);
  EXPECT_EQ(ini.readInteger("A", "high", 5, 0, 10), 5);
  EXPECT_EQ(ini.readInteger("A", "in", 5, 0, 10), 10);
}

}  // namespace
}  // namespace vellomar

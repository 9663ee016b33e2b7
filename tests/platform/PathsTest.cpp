#include "platform/PPaths.h"

#include <gtest/gtest.h>

#include "tests/platform/FixtureMachine.h"

namespace vellomar {
namespace {

const char* const kNone = nullptr;

struct PathCase {
  const char* from;
  const char* to;  // kNone: no translation
};

void expectTranslations(const std::vector<PathCase>& cases,
                        std::optional<std::string> (*translate)(const std::string&,
                                                                const DriveTable&),
                        const DriveTable& table) {
  for (const PathCase& c : cases) {
    const std::optional<std::string> result = translate(c.from, table);
    if (c.to == kNone) {
      EXPECT_FALSE(result.has_value()) << c.from << " gave " << result.value_or("");
    } else {
      EXPECT_EQ(result.value_or("(none)"), c.to) << c.from;
    }
  }
}

TEST(ToLinuxPath, JoinsTheMountPointOfTheDrive) {
  FixtureMachine machine;
  const DriveTable table(machine.sources());
  expectTranslations(
      {
          {"C:\\", "/"},
          {"C:", "/"},
          {"c:\\etc\\passwd", "/etc/passwd"},
          {"E:\\docs\\a.txt", "/home/docs/a.txt"},
          {"E:\\docs\\\\a.txt\\", "/home/docs/a.txt"},
          {"E:\\dir/with/back\\a/b.txt", "/home/dir\\with\\back/a\\b.txt"},
          {"E:\\a\\.\\b\\..\\c", "/home/a/c"},
          {"E:\\..\\..\\etc", "/home/etc"},  // never above the drive's root
          {"G:\\photos\\2001", "/media/ann/MY STICK/photos/2001"},
          {"H:\\", kNone},  // drive without a disc
          {"B:\\", kNone},  // no such drive
          {"\\\\server\\share", kNone},
          {"photos\\2001", kNone},
          {"1:\\x", kNone},
          {"", kNone},
      },
      toLinuxPath, table);
}

TEST(ToSystemPath, TakesTheDriveWithTheLongestMountPoint) {
  FixtureMachine machine;
  const DriveTable table(machine.sources());
  expectTranslations(
      {
          {"/", "C:\\"},
          {"/etc/passwd", "C:\\etc\\passwd"},
          {"/home", "E:\\"},
          {"/home/docs/a.txt", "E:\\docs\\a.txt"},
          {"/homework/x", "C:\\homework\\x"},
          {"/home//docs/", "E:\\docs"},
          {"/home/../etc", "C:\\etc"},
          {"/media/ann", "C:\\media\\ann"},
          {"/media/ann/MY STICK/p q", "G:\\p q"},
          {"/run/user", "C:\\run\\user"},  // memory file systems have no letter of their own
          {"/home/a\\b", "E:\\a/b"},
          {"home/docs", kNone},
          {"", kNone},
      },
      toSystemPath, table);
}

TEST(ToSystemPath, FollowsADiscToItsNewFolder) {
  FixtureMachine machine;
  const DriveTable table(machine.sources());
  machine.mounts += "40 28 11:0 / /media/ann/DISC1 rw - iso9660 /dev/sr0 ro\n";
  EXPECT_EQ(toSystemPath("/media/ann/DISC1/a", table).value_or(""), "H:\\a");
  EXPECT_EQ(toLinuxPath("H:\\a", table).value_or(""), "/media/ann/DISC1/a");
  machine.mounts =
      std::string(kDesktopMounts) + "41 28 11:0 / /run/media/DISC2 rw - udf /dev/sr0 ro\n";
  EXPECT_EQ(toSystemPath("/run/media/DISC2/a", table).value_or(""), "H:\\a");
  EXPECT_EQ(toSystemPath("/media/ann/DISC1/a", table).value_or(""), "C:\\media\\ann\\DISC1\\a");
}

}  // namespace
}  // namespace vellomar

#include "platform/PMountInfo.h"

#include <gtest/gtest.h>

namespace vellomar {
namespace {

TEST(ParseMountInfo, ReadsFieldsAfterAnyNumberOfOptionalFields) {
  const auto mounts = parseMountInfo(
      "36 35 98:0 /mnt1 /mnt/parent rw,noatime master:1 shared:2 - ext3 /dev/root rw\n"
      "28 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
      "50 28 0:45 /@home /home rw - btrfs /dev/sda3 rw,subvol=/@home");
  ASSERT_EQ(mounts.size(), 3u);
  EXPECT_EQ(mounts[0].major, 98u);
  EXPECT_EQ(mounts[0].minor, 0u);
  EXPECT_EQ(mounts[0].root, "/mnt1");
  EXPECT_EQ(mounts[0].mountPoint, "/mnt/parent");
  EXPECT_EQ(mounts[0].fsType, "ext3");
  EXPECT_EQ(mounts[0].source, "/dev/root");
  EXPECT_EQ(mounts[1].mountPoint, "/");
  EXPECT_EQ(mounts[2].root, "/@home");
  EXPECT_EQ(mounts[2].source, "/dev/sda3");
}

TEST(ParseMountInfo, DecodesOctalEscapesInPathsAndSources) {
  struct Case {
    const char* field;
    const char* decoded;
  };
  const Case cases[] = {
      {"/media/My\\040Disk", "/media/My Disk"},
      {"/a\\011b", "/a\tb"},
      {"/a\\012b", "/a\nb"},
      {"/back\\134slash", "/back\\slash"},
      {"/cut\\04", "/cut\\04"},  // too short to be an
                                 // escape
      {"/not\\089octal", "/not\\089octal"},
  };
  for (const Case& c : cases) {
    const auto mounts =
        parseMountInfo(std::string("1 0 8:1 / ") + c.field + " rw - vfat " + c.field + " rw\n");
    ASSERT_EQ(mounts.size(), 1u) << c.field;
    EXPECT_EQ(mounts[0].mountPoint, c.decoded);
    EXPECT_EQ(mounts[0].source, c.decoded);
  }
}

TEST(ParseMountInfo, SkipsMalformedLines) {
  const char* const lines[] = {
      "",
      "1 0 8:1 / /mnt",                       // cut short
      "1 0 8:1 / /mnt rw ext4 /dev/sda1 rw",  // no separator
      "1 0 8:1 / /mnt rw -",                  // nothing after the separator
      "1 0 8:1 / /mnt rw - ext4",             // no source
      "1 0 x:1 / /mnt rw - ext4 /dev/sda1 rw",
      "1 0 8:1x / /mnt rw - ext4 /dev/sda1 rw",
      "1 0 81 / /mnt rw - ext4 /dev/sda1 rw",
      "1 0 8:1 / mnt rw - ext4 /dev/sda1 rw",  // relative mount point
  };
  for (const char* line : lines) EXPECT_TRUE(parseMountInfo(line).empty()) << line;
  // A bad line costs only itself.
  EXPECT_EQ(parseMountInfo("junk\n1 0 8:1 / /mnt rw - ext4 /dev/sda1 rw\n").size(), 1u);
}

TEST(ReadWholeFile, ReadsProcFilesThatReportNoSize) {
  EXPECT_NE(readWholeFile("/proc/self/mountinfo").find(" / "), std::string::npos);
  EXPECT_EQ(readWholeFile("/no/such/file"), "");
}

}  // namespace
}  // namespace vellomar

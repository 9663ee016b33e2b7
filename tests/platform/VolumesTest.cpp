#include "platform/PVolumes.h"

#include <gtest/gtest.h>
#include <sys/statvfs.h>

namespace vellomar {
namespace {

TEST(DiskSpaceAt, ReportsTheVolumeOfTheGivenPath) {
  const std::string dir = testing::TempDir();
  const DiskSpace space = diskSpaceAt(dir);
  ASSERT_TRUE(space.ok);
  struct statvfs fs {};
  ASSERT_EQ(statvfs(dir.c_str(), &fs), 0);
  EXPECT_EQ(space.totalBytes, static_cast<uint64_t>(fs.f_blocks) * fs.f_frsize);
  EXPECT_GT(space.totalBytes, 0u);
  EXPECT_LE(space.freeBytes, space.totalBytes);
}

TEST(DiskSpaceAt, UnreachablePathGivesZeros) {
  for (const std::string path : {"", "/no/such/folder/anywhere"}) {
    const DiskSpace space = diskSpaceAt(path);
    EXPECT_FALSE(space.ok) << path;
    EXPECT_EQ(space.totalBytes, 0u) << path;
    EXPECT_EQ(space.freeBytes, 0u) << path;
  }
}

}  // namespace
}  // namespace vellomar

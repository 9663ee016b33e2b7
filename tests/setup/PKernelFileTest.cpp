#include "platform/PKernelFile.h"

#include <gtest/gtest.h>

#include "tests/setup/ZipTestFiles.h"

namespace vellomar {
namespace {

TEST(PKernelFile, DosDateTimesConvertAsUtcAndRejectImpossibleFields) {
  const std::pair<uint32_t, int64_t> valid[] = {
      {0x00210000, 315532800},   // 1980-01-01 00:00:00
      {0x52647A09, 1614870978},  // 2021-03-04 15:16:18
      {0x585DBF7D, 1709251198},  // 2024-02-29 23:59:58
  };
  for (auto [dos, seconds] : valid) {
    int64_t converted = 0;
    ASSERT_TRUE(kernelDosDateTimeToUnix(dos, converted)) << std::hex << dos;
    EXPECT_EQ(converted, seconds) << std::hex << dos;
    EXPECT_EQ(kernelUnixToDosDateTime(seconds), dos) << std::hex << dos;
  }
  const uint32_t invalid[] = {
      0x00000000,  // month 0, day 0
      0x52800000,  // month 12, day 0
      0x51BD0000,  // 2020-13-29
      0x5A5D0000,  // 2025-02-29: not a leap year
      0x5264C000,  // hour 24
      0x52647F80,  // minute 60
      0x5264001E,  // second 60
  };
  for (uint32_t dos : invalid) {
    int64_t converted = 0;
    EXPECT_FALSE(kernelDosDateTimeToUnix(dos, converted)) << std::hex << dos;
  }
}

TEST(PKernelFile, ExclusiveOpenExcludesASecondExclusiveOpen) {
  test::TempFolder folder;
  const std::string path = folder.path() + "/locked.bin";
  test::writeFile(path, {1, 2, 3});
  const KernelHandle first = kernelOpen(path.c_str(), kKernelOpenReadWrite | kKernelShareExclusive);
  ASSERT_NE(first, kKernelBadHandle);
  EXPECT_EQ(kernelOpen(path.c_str(), kKernelOpenReadWrite | kKernelShareExclusive),
            kKernelBadHandle);
  const KernelHandle shared = kernelOpen(path.c_str(), kKernelOpenRead | kKernelShareDenyNone);
  EXPECT_NE(shared, kKernelBadHandle);
  kernelClose(shared);
  kernelClose(first);
}

}  // namespace
}  // namespace vellomar

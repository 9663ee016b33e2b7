#include "ui/dialogs/UInfoTexts.h"

#include <gtest/gtest.h>

#include "foundation/UBaseUtils.h"

namespace vellomar {
namespace {

TEST(InfoTexts, CompressionAdvice) {
  struct Case {
    int32_t total, live;
    bool advised;
  };
  const Case cases[] = {
      {10, 7, true},       // 0.7 < 0.8
      {10, 8, false},      // exactly 0.8
      {1000, 890, true},   // 110 deleted
      {1000, 900, false},  // 100 deleted, 0.9 live
      {0, 0, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompressionRecommended(c.total, c.live), c.advised) << c.total << "/" << c.live;
  }
  TDBaseStats stats;
  stats.KeyCount = 10;
  stats.LiveKeys = 7;
  stats.ReadOnly = 1;
  stats.FileSize = 5000;
  KiloUnit = 1024;
  const DBaseInfoTexts t = DBaseInfoTextsOf(stats, "Music");
  EXPECT_EQ(t.DBaseName, "Music");
  EXPECT_EQ(t.Records, "10");
  EXPECT_EQ(t.RecordsDeleted, "3");
  EXPECT_EQ(t.Reindex, "yes");
  EXPECT_EQ(t.ReadOnly, "yes");
  EXPECT_EQ(t.Size, FormatSizeShort(5000, true).str());
}

TEST(InfoTexts, DiskValues) {
  TDiskInfo info;
  info.DiskName = "Backup 3";
  info.VolumeLabel = "BK3";
  info.Drive = 'd';
  info.Folders = 1234;
  info.DiskSizeKB = 1048576;
  info.FreeKB = 0;
  info.DataSize = 5'000'000'000LL;
  info.ScanDateTime = static_cast<int32_t>(EncodeDosDateTime({2003, 3, 14, 9, 5, 6}));
  DiskInfoTexts t = DiskInfoTextsOf(info);
  EXPECT_EQ(t.OriginalFolder, "D:") << "scanned from a drive root";
  EXPECT_EQ(t.Dirs, "1 234");
  EXPECT_EQ(t.DiskSize, FormatSize64(1073741824LL).str());
  EXPECT_EQ(t.TotSize, FormatSize64(5'000'000'000LL).str());
  const uint32_t when = static_cast<uint32_t>(info.ScanDateTime);
  EXPECT_EQ(t.ScanDate, FormatDosDate(when).str() + "  " + FormatDosTime(when, false).str());
  info.ScannedPath = "C:\\photos\\2003";
  EXPECT_EQ(DiskInfoTextsOf(info).OriginalFolder, "C:\\photos\\2003");
}

}  // namespace
}  // namespace vellomar

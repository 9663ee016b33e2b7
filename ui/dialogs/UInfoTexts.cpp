#include "ui/dialogs/UInfoTexts.h"

#include "foundation/UBaseUtils.h"
#include "platform/PAsciiText.h"

namespace vellomar {

DiskInfoTexts DiskInfoTextsOf(const TDiskInfo& info) {
  DiskInfoTexts t;
  const auto scanned = static_cast<uint32_t>(info.ScanDateTime);
  t.DiskName = info.DiskName.str();
  t.VolumeLabel = info.VolumeLabel.str();
  if (!info.ScannedPath.empty()) {
    t.OriginalFolder = info.ScannedPath.str();
  } else {
    t.OriginalFolder = std::string{upperAscii(info.Drive), ':'};
  }
  t.ScanDate = FormatDosDate(scanned).str() + "  " + FormatDosTime(scanned, false).str();
  t.Dirs = FormatThousands(info.Folders).str();
  t.Files = FormatThousands(info.Files).str();
  t.Archives = FormatThousands(info.Archives).str();
  t.ArcDirs = FormatThousands(info.ArchiveFolders).str();
  t.ArcFiles = FormatThousands(info.ArchiveFiles).str();
  t.DataSize = FormatSize64(info.PhysSize).str();
  t.ArcSize = FormatSize64(info.ArchSize).str();
  t.TotSize = FormatSize64(info.DataSize).str();
  t.DiskSize = FormatSize64(int64_t{info.DiskSizeKB} * 1024).str();
  t.DiskFree = FormatSize64(int64_t{info.FreeKB} * 1024).str();
  return t;
}

bool CompressionRecommended(int32_t totalRecords, int32_t liveRecords) {
  if (totalRecords > 0 &&
      static_cast<double>(liveRecords) / static_cast<double>(totalRecords) < 0.8) {
    return true;
  }
  return int64_t{totalRecords} - liveRecords > 100;
}

DBaseInfoTexts DBaseInfoTextsOf(const TDBaseStats& stats, const ShortString& name) {
  DBaseInfoTexts t;
  t.DBaseName = name.str();
  t.Size = FormatSizeShort(stats.FileSize, true).str();
  t.Records = std::to_string(stats.KeyCount);
  t.RecordsDeleted = std::to_string(int64_t{stats.KeyCount} - stats.LiveKeys);
  t.Reindex = CompressionRecommended(stats.KeyCount, stats.LiveKeys) ? "yes" : "no";
  t.ReadOnly = stats.ReadOnly != 0 ? "yes" : "no";
  return t;
}

}  // namespace vellomar

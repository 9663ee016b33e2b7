#pragma once

#include <cstdint>
#include <string>

#include "engine/api/UApiTypes.h"
#include "foundation/UShortString.h"

namespace vellomar {

// What the disk information dialog shows, one text per value label.
struct DiskInfoTexts {
  std::string DiskName;
  std::string VolumeLabel;
  std::string OriginalFolder;
  std::string ScanDate;
  std::string Dirs;
  std::string Files;
  std::string Archives;
  std::string ArcDirs;
  std::string ArcFiles;
  std::string DataSize;
  std::string ArcSize;
  std::string TotSize;
  std::string DiskSize;
  std::string DiskFree;
};

DiskInfoTexts DiskInfoTextsOf(const TDiskInfo& info);

// What the database information dialog shows.
struct DBaseInfoTexts {
  std::string DBaseName;
  std::string Size;
  std::string Records;
  std::string RecordsDeleted;
  std::string Reindex;
  std::string ReadOnly;
};

// Compression pays once a fifth of the records are deleted ones, or more than 100 are.
bool CompressionRecommended(int32_t totalRecords, int32_t liveRecords);

DBaseInfoTexts DBaseInfoTextsOf(const TDBaseStats& stats, const ShortString& name);

}  // namespace vellomar

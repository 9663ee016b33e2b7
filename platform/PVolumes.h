#pragma once

#include <cstdint>
#include <string>

#include "platform/PDrives.h"

namespace vellomar {

// Size of the volume that holds a path. Free space is the free space of the whole volume,
// including blocks reserved for the superuser, as the catalogue has always recorded it.
struct DiskSpace {
  bool ok = false;
  uint64_t totalBytes = 0;
  uint64_t freeBytes = 0;
};

// statvfs on the path itself, so a folder scanned as a disk reports the volume it lies on.
// Gives zeros and ok false when the path cannot be reached.
DiskSpace diskSpaceAt(const std::string& linuxPath);
// The same for a path of the program ("D:\photos").
DiskSpace diskSpace(const std::string& systemPath, const DriveTable& table = processDriveTable());

struct VolumeInfo {
  DriveKind kind = DriveKind::kNoRootDir;  // kNoRootDir: no drive has the letter
  bool accessible = false;                 // mounted now and its file system answers
  std::string label;
  // As the program knows file systems: "FAT" (12 and 16 bit), "FAT32", "exFAT", "NTFS",
  // "HPFS", "CDFS" (ISO 9660), "UDF"; any other by its Linux name ("ext4", "nfs4").
  std::string fileSystem;
  // Media whose names carry no case of their own (FAT family, ISO 9660, UDF).
  bool caseInsensitive = false;
  std::string networkSource;  // "\\server\share" of a network drive
};

// Touches nothing but the mount table, sysfs, udev's database and one statvfs.
VolumeInfo volumeInfo(char letter, const DriveTable& table = processDriveTable());

// Renames the volume mounted under the letter. Only file systems that take a new label while
// mounted, and a caller allowed to change them, succeed; the label is not cut to fit.
bool changeVolumeLabel(char letter, const std::string& label,
                       const DriveTable& table = processDriveTable());

// The share of a network drive from the mount table alone, so a dead server cannot hang the
// caller; empty for any other drive or an unmounted share.
std::string networkShare(char letter, const DriveTable& table = processDriveTable());

// For a Linux file-system type as the mount table names it.
bool isCaseInsensitiveMedia(const std::string& fsType);

}  // namespace vellomar

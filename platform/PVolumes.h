#pragma once

#include <cstdint>
#include <string>

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

}  // namespace vellomar

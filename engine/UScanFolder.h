#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellomar {

// The file-system side of a disk scan: what one folder holds, read without following links,
// opening special files or leaving the file system of the scanned folder.

// The file system a scan runs on, taken from the scanned folder itself.
struct ScanVolume {
  uint64_t Device = 0;
  uint64_t MountId = 0;  // 0 where the kernel does not tell
  // Names on this medium carry no case of their own, so a name in capitals is stored
  // lower-cased; elsewhere names are kept as the file system gives them.
  bool CaseInsensitive = false;
};

// None when the folder cannot be read.
std::optional<ScanVolume> openScanVolume(const std::string& linuxFolder);

struct ScanEntry {
  std::string Name;       // as stored: the case rule applied where the medium asks for it
  std::string FoundName;  // as the file system gives it, to reach the entry by
  int64_t Size = 0;
  uint32_t DosDateTime = 0;
  uint16_t Attributes = 0;
  // Only regular files are ever opened (descriptions, archives): never links, FIFOs, sockets
  // or devices.
  bool Regular = false;
  // A folder of the scanned file system, to be entered; a mount point below the scanned folder
  // is listed as the empty folder it is on this file system.
  bool Enterable = false;
};

enum class ScanPick : uint8_t {
  kFolders,  // entries with the folder bit
  kFiles,    // everything else but volume labels; links and special files count as files
};

// The picked entries of one folder in the order of compareTextThenBytes on their stored names,
// so a folder reads the same at every scan. A folder that cannot be read gives none.
std::vector<ScanEntry> readScanFolder(const std::string& linuxFolder, const ScanVolume& volume,
                                      ScanPick pick);

// The stored form of a name on case-insensitive media: a name that equals its own upper-case
// form is lower-cased ("README.TXT" gives "readme.txt", "ReadMe.TXT" stays).
std::string caseRuleName(std::string_view name);

}  // namespace vellomar

#pragma once

#include "engine/UEngineInternal.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PFind.h"

namespace vellomar {

// The file-system side of a disk scan: what one folder holds, read once through the folder's
// own descriptor, without following links, opening special files or leaving the file system of
// the scanned folder.

// The file system a scan runs on, taken from the scanned folder itself.
struct ScanVolume {
  uint64_t Device = 0;
  uint64_t MountId = 0;  // 0 where the kernel does not tell
  // Names on this medium carry no case of their own, so a name in capitals is stored
  // lower-cased; elsewhere names are kept as the file system gives them.
  bool CaseInsensitive = false;
};

ScanVolume scanVolumeOf(const FindSearch& folder);

struct ScanEntry {
  std::string Name;       // as stored: see storedNameOf
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

// The files of one folder, packed from the folder walk until the file pass takes them: sixteen
// bytes and the name each (and the stored name where it differs), so the files of a whole disk
// wait in little memory and a huge folder is never held as one object per file.
class ScanFiles {
 public:
  void add(const FindEntry& entry, const ScanVolume& volume);
  // Gives back the room kept for further files.
  void shrinkToFit() { bytes_.shrink_to_fit(); }
  bool empty() const { return count_ == 0; }
  size_t count() const { return count_; }
  // The bytes of the stored names, all together.
  size_t nameBytes() const { return nameBytes_; }
  // Hands visit the files one at a time, in the order of compareTextThenBytes on their stored
  // names, so a folder reads the same at every scan. The entry handed is visit's to change.
  void visit(const std::function<void(ScanEntry&)>& visit) const;

 private:
  std::string bytes_;
  size_t count_ = 0;
  size_t nameBytes_ = 0;
};

// One folder as the walk reads it: its subfolders, in the order of compareTextThenBytes on
// their stored names, and its files. Links and special files count as files; volume labels are
// left out.
struct ScanFolderContents {
  std::vector<ScanEntry> Folders;
  ScanFiles Files;
};

// Reads the rest of the open folder; a folder of another file system than volume's (a mount
// that replaced it since its parent was read) gives nothing.
ScanFolderContents readScanFolder(FindSearch& folder, const ScanVolume& volume);

// The stored form of a name: a backslash as "/" (systemNameOf), and on case-insensitive media
// the case rule.
std::string storedNameOf(std::string_view foundName, bool caseInsensitive);

// The stored form of a name on case-insensitive media: a name that equals its own upper-case
// form is lower-cased ("README.TXT" gives "readme.txt", "ReadMe.TXT" stays).
std::string caseRuleName(std::string_view name);

}  // namespace vellomar

#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/api/UEntryRecords.h"
#include "foundation/UShortString.h"

namespace vellomar {

class TDirCollection;

// One folder of a loaded tree: where its data lies in the file, the data, its name.
struct TOneDir {
  int32_t EntryOffset = 0;  // file offset of the folder's 39-byte data in its disk block
  TDirData Data;
  ShortString Name;

  friend bool operator==(const TOneDir&, const TOneDir&) = default;
};

// One line of a file list.
struct TOneFile {
  TDirCollection* SubDir = nullptr;  // the folder node for a line that stands for a subfolder
  int32_t EntryOffset = 0;           // file offset of the line's 19-byte record
  TFileRecord Data;
  ShortString Name;

  friend bool operator==(const TOneFile&, const TOneFile&) = default;
};

// Heap copies of the engine's records. They are copied member by member: the records hold
// pointers, so their sizes in the file say nothing about their sizes in memory.
void NewOneDir(TOneDir*& p, const TOneDir& src);
// Frees p unless it is null, and sets it to null.
void FreeOneDir(TOneDir*& p);
void CopyOneDir(const TOneDir& src, TOneDir& dest);
void NewOneFile(TOneFile*& p, const TOneFile& src);
void FreeOneFile(TOneFile*& p);
void CopyOneFile(const TOneFile& src, TOneFile& dest);

// The flags of a key as ApiGetKey hands them out.
inline constexpr uint16_t kKeyDeleted = 1;
inline constexpr uint16_t kKeySelected = 2;

// One scanned disk.
struct TDiskInfo {
  int32_t Flags = 0;
  int32_t ScanDateTime = 0;  // DOS format
  int32_t Folders = 0;
  int32_t Files = 0;
  int32_t Archives = 0;
  int32_t ArchiveFolders = 0;
  int32_t ArchiveFiles = 0;
  // The older form's sums in kB: physical size, inside archives, total data.
  int32_t OldPhysSizeKB = 0;
  int32_t OldArchSizeKB = 0;
  int32_t OldDataSizeKB = 0;
  int32_t DiskSizeKB = 0;
  int32_t FreeKB = 0;
  int32_t SectorsPerCluster = 0;
  int32_t BytesPerSector = 0;
  std::array<uint8_t, 52> Reserved56{};
  char Drive = 0;
  std::array<uint8_t, 7> Reserved109{};
  ShortString DiskName;
  ShortString VolumeLabel;
  ShortString ScannedPath;
  std::array<uint8_t, 256> Reserved884{};
  int64_t PhysSize = 0;
  int64_t ArchSize = 0;
  int64_t DataSize = 0;
  std::array<uint8_t, 16> Reserved1164{};
};

// The database's statistics as the user interface shows them; the last two count live keys.
struct TDBaseStats {
  int32_t FileSize = 0;
  int32_t KeyCount = 0;
  int32_t LiveKeys = 0;
  uint8_t ReadOnly = 0;
  int32_t Selected = 0;
  int32_t Unselected = 0;
};

// The totals of a folder's subtree: all of it, then without anything inside archives. The
// folder itself is not among its folders below.
struct TDirTotals {
  int32_t Folders = 0;
  int32_t Files = 0;
  int64_t Size = 0;
  int32_t PhysFolders = 0;
  int32_t PhysFiles = 0;
  int64_t PhysSize = 0;

  friend bool operator==(const TDirTotals&, const TDirTotals&) = default;
};

// What a copy saved into the target, and what of the disks in its scope it left out because
// their blocks failed the readers' checks. Folders are counted as a disk's details count them,
// the root not among them. A disk of whose block not even the details read is saved empty under
// the name its block still holds (EmptiedDisks); a damaged root record leaves the disk with an
// empty root, costing the folders and files its details say it held; any other damaged folder
// record costs the subfolders it could not read, and with them at least as many folders and
// files as the details say the disk held beyond what was copied; a damaged file list costs its
// entries from the damage on, a damaged description block the description. A repair leaves out
// whole only the live disks beyond the key table's room (DisksLeftOut). The counts are wide: a
// left-out folder's file count is taken as stored, whatever it says.
struct TCopyCounts {
  int64_t Disks = 0;
  int64_t Folders = 0;
  int64_t Files = 0;
  int64_t Descriptions = 0;
  int64_t DisksLeftOut = 0;
  int64_t FoldersLeftOut = 0;
  int64_t FilesLeftOut = 0;
  int64_t DescriptionsLeftOut = 0;
  int64_t EmptiedDisks = 0;
  // The disks that met damage, saved or left out, by the name their block gives ("???" when it
  // cannot be read), in key order.
  std::vector<ShortString> DamagedDisks;
};

// What the print and export walk hands to the export code: the database, disk, folder and file
// at hand, filled just before each export call.
struct TDatabaseData {
  std::string Name;  // file name without folder
  std::string Path;  // folder of the file, with a trailing "\"
  int32_t DiskCount = 0;
};

struct TDiskData {
  std::string DiskName;
  int32_t SizeKB = 0;
  int32_t FreeKB = 0;
  int32_t Folders = 0;
  int32_t Files = 0;
  int32_t Archives = 0;
  int32_t FilesInArchives = 0;
  int32_t FoldersInArchives = 0;
  int64_t DataSize = 0;
  int64_t PhysSize = 0;
  int64_t ArchSize = 0;
  std::string ScannedPath;
  std::string VolumeLabel;
  int32_t ScanDateTime = 0;  // DOS format
};

struct TFolderData {
  std::string Path;  // folder part of the full path, with a trailing "\"
  std::string Name;  // last component of the full path
  int64_t DataSize = 0;
  int32_t Files = 0;
  int32_t Folders = 0;
  int64_t PhysDataSize = 0;  // without archive contents
  int32_t PhysFiles = 0;
  int32_t PhysFolders = 0;
};

// Display options the export code reads.
struct TFormatOptions {
  uint8_t SortCrit = 0;  // 0 name, 1 extension, 2 time, 3 size
  bool SizeInKB = false;
  bool ShowSeconds = false;
  bool Reverse = false;
};

}  // namespace vellomar

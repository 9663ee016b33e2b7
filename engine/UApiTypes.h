#pragma once

#include <cstdint>
#include <string>

#include "engine/UEntryRecords.h"
#include "foundation/UCollections.h"
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

class TFilterModule;

// One mask of a mask list. A description-import mask also carries its character limit and its
// filter module, which belongs to the module list.
class TMaskItem : public TPlainObject {
 public:
  explicit TMaskItem(const ShortString& mask) : Mask(NewShortStr(mask)) {}
  ~TMaskItem() override { DisposeShortStr(Mask); }
  TMaskItem(const TMaskItem&) = delete;
  TMaskItem& operator=(const TMaskItem&) = delete;

  HeapShortStr* Mask;
  int32_t MaxChars = 0;
  TFilterModule* Module = nullptr;
};

// A description filter module, named after its file; the import loads and releases it.
class TFilterModule : public TPlainObject {
 public:
  explicit TFilterModule(const ShortString& name) : Name(name) {}

  ShortString Name;
  void* Handle = nullptr;  // null while not loaded, like the entry points
  void* OpenTransfer = nullptr;
  void* GetOneBlock = nullptr;
  void* CloseTransfer = nullptr;
};

enum class ArchiveModuleKind : uint8_t {
  kZipLibrary = 0,
  kRar = 3,
  kAce = 5,
};

// How the archives of one kind are extracted: through a library file, or through the program's
// own binding.
class TArchiveModule : public TPlainObject {
 public:
  // The ZIP extraction library "VUnZip32.dll" is loaded; RAR and ACE are built in.
  TArchiveModule(ArchiveModuleKind kind, int32_t sizeLimitMB);

  ShortString Name;  // the library's file name, empty for a built-in reader
  ArchiveModuleKind Kind;
  void* Handle = nullptr;  // null until loaded, like the entry point
  void* ExtractFile = nullptr;
  bool BuiltIn;
  int32_t SizeLimitMB;  // files above this size are not extracted
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

extern TDatabaseData DatabaseData;
extern TDiskData DiskData;
extern TFolderData FolderData;
extern TOneFile FileData;
extern TFormatOptions FormatOptions;

}  // namespace vellomar

#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "platform/PDrives.h"

namespace vellomar {

// Attribute bits of a catalogued file, as FAT keeps them on disk.
constexpr uint16_t kAttrReadOnly = 0x01;
constexpr uint16_t kAttrHidden = 0x02;
constexpr uint16_t kAttrSystem = 0x04;
constexpr uint16_t kAttrVolumeLabel = 0x08;
constexpr uint16_t kAttrDirectory = 0x10;
constexpr uint16_t kAttrArchive = 0x20;

enum class EntryKind : uint8_t { kFile, kDirectory, kSymlink, kFifo, kSocket, kDevice };

// Which entries a folder walk describes. The folder record's own type lets the others be passed
// over without a stat call; where the file system does not give the type, the entry is
// described and left to the caller.
enum class FindWanted : uint8_t { kAll, kFolders, kNonFolders };

struct FindEntry {
  std::string name;
  int64_t size = 0;  // 0 for folders; a symbolic link's own size
  uint32_t dosDateTime = 0;
  uint16_t attributes = 0;
  EntryKind kind = EntryKind::kFile;
  // The file system and the mount the entry lives on: a folder whose device or mount differs
  // from its parent's is the root of another file system, or another view of one.
  uint64_t device = 0;
  uint64_t mountId = 0;  // 0 where the kernel does not tell

  bool isDirectory() const { return kind == EntryKind::kDirectory; }
  // Never to be followed or opened: links, FIFOs, sockets and devices.
  bool isSpecial() const { return kind != EntryKind::kFile && kind != EntryKind::kDirectory; }
};

// Find-first/find-next over one folder, read through its own descriptor: entries are described
// relative to it without following symbolic links, with names as the file system gives them
// (systemNameOf gives the program's form of a name holding a backslash); "." and ".." are left
// out. Attributes: folder; read-only when no write permission bit is set; hidden for names
// starting with "."; archive for regular files; on FAT the file system's own bits.
class FindSearch {
 public:
  FindSearch() = default;
  ~FindSearch() { close(); }
  FindSearch(const FindSearch&) = delete;
  FindSearch& operator=(const FindSearch&) = delete;

  // "D:\photos", "D:\photos\" or "D:\photos\*.*" (every entry). False when the folder cannot be
  // read.
  bool open(const std::string& systemFolder, const DriveTable& table = processDriveTable());
  bool openAt(const std::string& linuxFolder);
  // The subfolder name of the open folder parent, reached through parent's descriptor and never
  // through a link, so a walk needs no path of any length.
  bool openChild(const FindSearch& parent, const std::string& name);
  bool isOpen() const { return fd_ >= 0; }
  // False at the end.
  bool next(FindEntry& entry, FindWanted wanted = FindWanted::kAll);
  void close();

  // Of the folder itself.
  uint64_t device() const { return device_; }
  uint64_t mountId() const { return mountId_; }
  // Names on this medium carry no case of their own (FAT family, ISO 9660, UDF).
  bool caseInsensitiveMedia() const { return caseInsensitive_; }

 private:
  bool openFd(int fd, const FindSearch* parent = nullptr);
  bool fill();

  int fd_ = -1;
  // Entries as the kernel hands them over; released at the end of the folder, so a walk keeps
  // only descriptors open along its path.
  std::unique_ptr<char[]> buffer_;
  size_t bufferUsed_ = 0;
  size_t bufferPos_ = 0;
  uint64_t device_ = 0;
  uint64_t mountId_ = 0;
  bool fat_ = false;
  bool caseInsensitive_ = false;
};

enum class Links : uint8_t {
  kKeep,    // describe the link itself, as a search lists it
  kFollow,  // describe what it leads to, for a test whether a chosen folder exists
};

// One file or folder; none when it does not exist.
std::optional<FindEntry> findEntry(const std::string& systemPath, Links links = Links::kKeep,
                                   const DriveTable& table = processDriveTable());
std::optional<FindEntry> findEntryAt(const std::string& linuxPath, Links links = Links::kKeep);

// The local time as a packed DOS date-time (date in the high word, seconds halved), held to
// the range the form can carry: 1980-01-01 00:00:00 to 2107-12-31 23:59:58.
uint32_t dosDateTimeOf(time_t time);

}  // namespace vellomar

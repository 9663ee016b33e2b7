#pragma once

#include "engine/UEngineInternal.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "engine/UBlockHead.h"
#include "engine/UDiskBlock.h"
#include "engine/api/UEntryRecords.h"

namespace vellomar {

class TCatalogueFile;
class TKFileStream;

// Seeks to a disk block and checks its head; a place that holds none raises damage `code`.
TDiskBlockHead ReadDiskBlockHeadAt(TKFileStream& stream, int32_t offset, int code);
// The disk block at offset behind its head, in one read into body, whose room a walk reuses
// from disk to disk; a place that holds none raises damage 005. Answers the block's form.
BlockForm ReadDiskBlockBody(TKFileStream& stream, int32_t offset, std::vector<uint8_t>& body);
// How a reader of a disk block takes its bytes behind the head, as ReadDiskBlockBody does.
using DiskBlockBodyRead = BlockForm (*)(TKFileStream& stream, int32_t offset,
                                        std::vector<uint8_t>& body);

// One folder of a disk block, its name left in the block's bytes. Links are indexes into the
// index's folders, -1 for none.
struct FolderEntry {
  int32_t EntryOffset = 0;
  TDirData Data;
  std::string_view Name;
  int32_t Parent = -1;
  int32_t FirstChild = -1;
  int32_t NextSibling = -1;
  // The subfolders linked from FirstChild.
  int32_t SubFolders = 0;
};

// The one reader of a disk block's folder records, for every tree the engine loads: read in
// place, subfolders sorted, an exact duplicate left out with its subtree, without a node or a
// name allocated per folder. The records are read in a loop over the folders still open, so
// a tree of any depth costs no stack; they follow each other in pre-order and the reader only
// moves forward through the block, so no record can lead back to one read before.
//
// Structure decides what is read: a record's check, its place inside the block, the block's
// records adding up to its length. The first record that fails ends the folders where it
// begins (the counts of the records before it no longer say where anything lies). A folder
// that names more subfolders than follow it keeps those that do. A figure that only feeds the
// totals never ends a read: a file count that no writer can store (below 0, or more files than
// the whole file has room to list) is taken as 0 and counted as damage; sizes are kept as
// stored, whatever their sign (32-bit writers summed them so) or height (sparse files).
class DiskFolderIndex {
 public:
  // Reads the disk block at offset, its bytes behind the head taken by readBody, counting
  // damaged folder records in damage. A place that holds no disk block raises damage 005.
  // Answers the block's form.
  BlockForm read(TKFileStream& stream, int32_t offset, int32_t& damage,
                 DiskBlockBodyRead readBody = ReadDiskBlockBody);
  // The same for a search, which reads the block alone: a damaged block gives the root "\"
  // alone. Each damage adds 1 to the file's damage counter.
  void load(TCatalogueFile& handle, int32_t offset);

  // The root is folder 0; there always is one after load, and after a read that counted no
  // damage.
  const FolderEntry& at(int32_t index) const { return folders_[static_cast<size_t>(index)]; }
  int32_t count() const { return static_cast<int32_t>(folders_.size()); }
  // The block behind its head, which the names lie in.
  std::span<const uint8_t> block() const { return block_; }
  // Subfolders that records name but that damage kept from being read, or that the block does
  // not hold.
  int64_t unreadFolders() const { return unread_; }

 private:
  // A folder whose subfolders are being read.
  struct OpenFolder {
    int32_t Index;
    uint32_t Left;
    int32_t LastChild;
    bool Sorted;
  };

  void readFolders(ByteReader& r, uint32_t base, int32_t& damage);
  int32_t readFolder(ByteReader& r, uint32_t base, int32_t parent, uint32_t& subDirs,
                     int32_t& damage);
  void closeFolder(const OpenFolder& folder);
  void addChild(int32_t parent, int32_t child, int32_t& lastChild);
  void sortChildren(int32_t parent);
  int compare(int32_t a, int32_t b) const;

  std::vector<uint8_t> block_;
  std::vector<FolderEntry> folders_;
  std::vector<OpenFolder> open_;
  std::vector<int32_t> siblings_;
  int64_t unread_ = 0;
  uint64_t maxFiles_ = 0;
};

}  // namespace vellomar

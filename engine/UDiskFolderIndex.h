#pragma once

#include "engine/UEngineInternal.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/api/UEntryRecords.h"

namespace vellomar {

class TDBase;

// One folder of a disk block, its name left in the block's bytes. Links are indexes into the
// index's folders, -1 for none.
struct FolderEntry {
  int32_t EntryOffset = 0;
  TDirData Data;
  std::string_view Name;
  int32_t Parent = -1;
  int32_t FirstChild = -1;
  int32_t NextSibling = -1;
};

// The folders of one disk block, read in place: the same folders, in the same order, as a
// loaded tree holds them (subfolders sorted, an exact duplicate left out with its subtree), and
// the same damage counted, without a node or a name allocated per folder. For walks that visit
// every disk of a database; the buffers keep their room from disk to disk.
class DiskFolderIndex {
 public:
  // Reads the disk block at offset. A damaged block gives the root "\" alone, damaged folder
  // records end the folders where they begin; each adds 1 to the handle's damage counter.
  void load(TDBase& handle, int32_t offset);

  // The root is folder 0; there always is one after load.
  const FolderEntry& at(int32_t index) const { return folders_[static_cast<size_t>(index)]; }
  int32_t count() const { return static_cast<int32_t>(folders_.size()); }

 private:
  int32_t readFolder(ByteReader& r, uint32_t base, int32_t parent, int depth, int32_t& errors);
  void addChild(int32_t parent, int32_t child, int32_t& lastChild);
  void sortChildren(int32_t parent);
  int compare(int32_t a, int32_t b) const;

  std::vector<uint8_t> block_;
  std::vector<FolderEntry> folders_;
  std::vector<int32_t> siblings_;
};

}  // namespace vellomar

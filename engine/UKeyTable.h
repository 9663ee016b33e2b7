#pragma once

#include "engine/UEngineInternal.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/UKeyField.h"
#include "engine/UKeyTableNames.h"
#include "foundation/UShortString.h"

namespace vellomar {

// What the key table needs of the open database file: its size and bytes at an offset.
class DataAreaReader {
 public:
  virtual ~DataAreaReader() = default;
  virtual uint64_t fileSize() = 0;
  // Exactly out.size() bytes from offset; failures raise.
  virtual void readAt(uint64_t offset, std::span<uint8_t> out) = 0;
};

// The disk name a key shows when its block cannot be read.
inline constexpr const char* kUnreadableDiskName = "???";

// The name a deleted disk takes: name + " [" + number + "]", unless it already ends in "]". The
// name part is shortened, never inside a character, so the whole suffix fits in 255 bytes.
ShortString DeletedDiskName(const ShortString& name, int32_t number);

// The sorted key table of one open database: live keys by disk name ignoring case, then the
// deleted ones. Disk names are read from the file once per block offset and kept; a key whose
// block cannot be read is counted once in the damage counter given.
class KeyTable {
 public:
  struct FoundKey {
    bool Found = false;
    int32_t Index = 0;
  };

  explicit KeyTable(DataAreaReader& file, int32_t* damageCounter = nullptr)
      : file_(&file), damageCounter_(damageCounter) {}

  TKeyField& keys() { return keys_; }
  const TKeyField& keys() const { return keys_; }
  // A table taken from a file: the names kept so far belong to no block any more.
  void assign(TKeyField keys);

  bool keysModified() const { return keysModified_; }
  void setKeysModified(bool modified) { keysModified_ = modified; }
  // Set by every insertion, removal and re-positioning; read and cleared by the caller.
  bool disksChanged() const { return disksChanged_; }
  void setDisksChanged(bool changed) { disksChanged_ = changed; }

  // The name in the disk block at offset; "???" for a block that is not one.
  ShortString ReadDiskName(int32_t offset);
  // The same as the table keeps it: valid until the table forgets that name or is assigned.
  std::string_view diskNameView(int32_t offset);
  // A block's details were rewritten in place: read its name again when next asked.
  void forgetName(int32_t offset) { names_.forget(offset); }

  // Where a key of this name and flags goes among the live keys: before every equal name, and
  // after all live keys when the flags say deleted.
  FoundKey FindKey(const ShortString& name, uint16_t flags);
  // False when the table is full. An offset no block of the file can have raises "Database is
  // full. Make compression."
  bool InsertKey(int64_t offset, uint16_t flags);
  bool AddKeyAt(int32_t position, int32_t offset, uint16_t flags);
  void MoveKeyToDeleted(int32_t index);
  void RepositionKey(int32_t index);
  void ResortKeys();
  // Keys for the disk blocks the data area holds. More blocks than the table holds keep the
  // live disks first, then the newest deleted ones, and among the live the newest.
  void RebuildKeyTable();
  // The offsets of the live disk blocks the last rebuild found but had no room for, oldest first.
  const std::vector<int32_t>& liveBlocksNotKept() const { return liveBlocksNotKept_; }

  int32_t GetKeyCount(bool showDeleted) const;
  int32_t CountSelectedKeys() const;
  int32_t FirstSelectedKey() const;
  void clearSelection();

 private:
  std::vector<std::string_view> namesOfLiveKeys();
  bool liveNamesAscend(const std::vector<std::string_view>& names) const;
  std::vector<TKeyEntry> liveThenDeletedReversed() const;
  std::vector<TKeyEntry> sortedByName(const std::vector<std::string_view>& names) const;
  TKeyEntry takeOut(int32_t index);
  void reinsert(int32_t index, bool toDeleted, int damageCode);
  void collectDiskBlocks();
  void keepNewestBlocks(std::vector<TKeyEntry>& found);

  DataAreaReader* file_;
  int32_t* damageCounter_;
  TKeyField keys_;
  KeyTableNames names_;
  std::vector<int32_t> liveBlocksNotKept_;
  bool keysModified_ = false;
  bool disksChanged_ = false;
};

}  // namespace vellomar

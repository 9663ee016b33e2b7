#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "engine/UDBaseLayout.h"
#include "engine/UDiskBlock.h"
#include "engine/UKeyTable.h"
#include "foundation/UExceptions.h"

namespace vellomar::testing {

// A database file built in memory: a new empty file to which disk blocks and raw bytes are
// appended, and whose key table can be set.
class DBaseImage {
 public:
  DBaseImage() {
    TLocalOptions options;
    SetDefaultLocalOptions(options);
    Scrambler scrambler;
    bytes_ = newDBaseFileBytes(THeaderRecord{}, options, scrambler);
  }

  std::vector<uint8_t>& bytes() { return bytes_; }
  int32_t size() const { return static_cast<int32_t>(bytes_.size()); }

  // Appends a disk block with a bare root folder; returns its offset.
  int32_t addDisk(std::string_view name, bool deleted = false,
                  BlockForm form = BlockForm::kCurrent) {
    TDiskInfo info;
    info.Flags = deleted ? kDiskDeleted : 0;
    info.DiskName = name;
    ByteWriter root;
    TDirData rootData;
    rootData.Attr = kAttrFolder;
    writeFolderRecord(root, 0, rootData, "\\");
    ByteWriter w;
    if (form == BlockForm::kCurrent) {
      writeDiskBlockHead(w, static_cast<uint32_t>(root.size()));
      writeDiskInfo(w, info);
    } else {
      const auto length = static_cast<int32_t>(kBlockHeadSize + kOldDiskInfoSize);
      writeBlockHead(w, {length, complementCheck(length), kDiskBlockKind});
      writeDiskInfo(w, info, BlockForm::kOlder);
    }
    if (form == BlockForm::kCurrent) w.bytes(root.bytes());
    return append(w.bytes());
  }

  int32_t append(std::span<const uint8_t> data) {
    const int32_t offset = size();
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    return offset;
  }

  void setKeys(const TKeyField& keys, bool whole) {
    ByteWriter w;
    writeKeyField(w, keys, whole);
    std::copy(w.bytes().begin(), w.bytes().end(), bytes_.begin() + kKeyFieldOffset);
  }

 private:
  std::vector<uint8_t> bytes_;
};

// The key table's view of an image, counting the reads it serves.
class MemoryDataArea : public DataAreaReader {
 public:
  explicit MemoryDataArea(const std::vector<uint8_t>& bytes) : bytes_(&bytes) {}

  uint64_t fileSize() override { return bytes_->size(); }
  void readAt(uint64_t offset, std::span<uint8_t> out) override {
    ++reads;
    if (offset > bytes_->size() || out.size() > bytes_->size() - offset) {
      throw EKstvDBaseStructException(2);
    }
    std::copy_n(bytes_->begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
  }

  int reads = 0;

 private:
  const std::vector<uint8_t>* bytes_;
};

}  // namespace vellomar::testing

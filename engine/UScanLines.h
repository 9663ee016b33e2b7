#pragma once

#include "engine/UEngineInternal.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "engine/UFileListBlock.h"

namespace vellomar {

// The lines of the folder being scanned, held as the entries of its file-list block (record,
// length byte, name) one after another with an index of five bytes a line, so a huge folder
// costs little more than the block it is written as. A line taken out (an archive shown as a
// folder) is only marked: every line keeps its index, and taking one out moves none.
class TScanLines {
 public:
  // Room for count lines whose names take nameBytes in all.
  void reserve(size_t count, size_t nameBytes);
  // Raises "Database is full. Make compression." when the lines could no longer be one block.
  // name: at most 255 bytes.
  void add(const TFileRecord& record, std::string_view name, bool regular);

  // Line indexes run below slots(); size() counts the lines kept.
  size_t slots() const { return offsets_.size(); }
  size_t size() const { return kept_; }
  bool empty() const { return kept_ == 0; }
  bool kept(size_t index) const { return (flags_[index] & kRemoved) == 0; }
  // Only a regular file may be opened: never a link, FIFO, socket or device.
  bool regular(size_t index) const { return (flags_[index] & kRegular) != 0; }
  TFileEntry at(size_t index) const;
  // The line as the block stores it.
  std::span<const uint8_t> entryBytes(size_t index) const;
  void remove(size_t index);

  // The block's length for the lines kept.
  uint64_t blockLength() const { return kFileListFixedSize + keptBytes_; }
  // The entries of the lines kept, in order, as runs of adjacent lines.
  std::vector<std::span<const uint8_t>> keptRuns() const;

 private:
  static constexpr uint8_t kRegular = 1;
  static constexpr uint8_t kRemoved = 2;

  size_t endOf(size_t index) const;

  ByteWriter bytes_;
  std::vector<uint32_t> offsets_;
  std::vector<uint8_t> flags_;
  size_t kept_ = 0;
  uint64_t keptBytes_ = 0;
};

}  // namespace vellomar

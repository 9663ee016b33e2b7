#pragma once

#include "engine/UEngineInternal.h"

#include <cstdint>
#include <span>
#include <string>

#include "engine/UDBaseHeader.h"
#include "engine/UKeyTable.h"
#include "foundation/UStream.h"

namespace vellomar {

// The key table's reads of the open catalogue file, through its stream.
class StreamDataArea : public DataAreaReader {
 public:
  explicit StreamDataArea(TKFileStream& stream) : stream_(&stream) {}
  uint64_t fileSize() override { return stream_->GetSize(); }
  void readAt(uint64_t offset, std::span<uint8_t> out) override;

 private:
  TKFileStream* stream_;
};

// One open catalogue file as the trees, descriptions and searches read and write it: the
// stream, the header records and the key table in memory, and what reading it has met. The
// database handle opens and closes it; the units that read blocks take this part alone.
class TCatalogueFile {
 public:
  TCatalogueFile() = default;
  TCatalogueFile(const TCatalogueFile&) = delete;
  TCatalogueFile& operator=(const TCatalogueFile&) = delete;

  bool Open = false;
  bool ReadOnly = false;
  // The disk tree or the file lists shown may no longer be those of the file.
  bool TreeChanged = false;
  bool FilesChanged = false;
  THeaderRecord HeaderRecord{};
  // The header record as the open found it in the file: a close that writes it unchanged,
  // after no other change, has nothing new to put on the disk.
  THeaderRecord StoredHeaderRecord{};
  TKFileStream Stream;
  std::string FileName;
  // Structure errors met and passed over since the last reset.
  int32_t DamageCounter = 0;

  KeyTable& keyTable() { return keys_; }
  const KeyTable& keyTable() const { return keys_; }

 private:
  StreamDataArea dataArea_{Stream};
  KeyTable keys_{dataArea_, &DamageCounter};
};

// Writes the key table's head and used entries in place and puts them on the disk: the one
// write that makes a change of the disks part of the file. Selections stay in memory only.
void WriteKeyTable(TCatalogueFile& file);

}  // namespace vellomar

#pragma once

// The whole layout of the catalogue file, of which this is a piece: engine/FORMAT.md.

#include "engine/UEngineInternal.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/UBlockHead.h"
#include "engine/api/UApiTypes.h"
#include "engine/api/UEntryRecords.h"
#include "foundation/UByteReader.h"
#include "foundation/UShortString.h"

namespace vellomar {

inline constexpr size_t kDiskInfoSize = 1180;
// The older form stores the details up to and including the disk name; rewriting a disk's
// details in place writes only these bytes, which fits both forms.
inline constexpr size_t kOldDiskInfoSize = 372;
inline constexpr size_t kDiskBlockFixedSize = kBlockHeadSize + kDiskInfoSize;
// Offset of the disk name inside a disk block.
inline constexpr size_t kDiskNameBlockOffset = kBlockHeadSize + 116;
inline constexpr int32_t kDiskDeleted = 1;

// The bytes of the details a block of this form stores.
size_t diskInfoSize(BlockForm form);

struct TDiskBlockHead {
  int32_t Length = 0;
  BlockForm Form = BlockForm::kCurrent;
};

// Whether a head can start a disk block whose details lie inside the bytesLeft the file holds
// from there: kind 1, check -L or NOT L, L room for the details of its form. Gives the form.
bool isDiskBlockHead(const TBlockHead& head, uint64_t bytesLeft, BlockForm& form);

// Checks a disk block's head: kind 1, check -L or NOT L, room for the details of its form, and
// no longer than the bytes left in the file; else damage `code` (005 or 009 by the reader).
TDiskBlockHead readDiskBlockHead(ByteReader& r, uint64_t bytesLeft, int code);
// The head of a block whose folder records take foldersSize bytes.
void writeDiskBlockHead(ByteWriter& w, uint32_t foldersSize);

// Older form: 372 bytes, the rest zero and the byte sums taken from the kB sums.
TDiskInfo readDiskInfo(ByteReader& r, BlockForm form);
// The whole details, or for kOlder only their first 372 bytes.
void writeDiskInfo(ByteWriter& w, const TDiskInfo& info, BlockForm form = BlockForm::kCurrent);

// The order of subfolders: by name and then extension ignoring case, then by their bytes.
int CompareFolderNames(std::string_view nameA, const ExtensionString& extA, std::string_view nameB,
                       const ExtensionString& extB);

// One folder record {uint16 n subfolders; uint16 check; folder data; byte length; name}. Its
// folder data starts 4 bytes after the record, which makes the folder's entry offset.
inline constexpr size_t kFolderDataRecordOffset = 4;
inline constexpr size_t kFolderRecordFixedSize = 4 + kDirDataSize + 1;
inline constexpr size_t kOldFolderRecordFixedSize = 4 + kOldDirDataSize + 1;

struct TFolderRecord {
  uint16_t SubDirCount = 0;
  TDirData Data;
  ShortString Name;
};

// A record whose name is left in the block's bytes.
struct FolderRecordView {
  uint16_t SubDirCount = 0;
  TDirData Data;
  std::string_view Name;
};

// Reads one record from a reader that ends where the disk block ends. A wrong check or a record
// running past the block raise damage 004. The subfolder count is as stored: the records that
// follow say how many of them the block holds.
TFolderRecord readFolderRecord(ByteReader& r);
FolderRecordView readFolderRecordView(ByteReader& r);
// The root's record and its subtree must add up to the disk block: damage 004 when bytes are
// left behind them.
void requireFolderRecordsEnd(const ByteReader& r);
void writeFolderRecord(ByteWriter& w, uint16_t subDirCount, const TDirData& data,
                       const ShortString& name);
inline uint32_t folderRecordSize(size_t nameLength) {
  return static_cast<uint32_t>(kFolderRecordFixedSize + nameLength);
}

}  // namespace vellomar

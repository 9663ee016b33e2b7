#pragma once

// The whole layout of the catalogue file, of which this is a piece: engine/FORMAT.md.

#include "engine/UEngineInternal.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "engine/UBlockHead.h"
#include "engine/api/UEntryRecords.h"
#include "foundation/UByteReader.h"
#include "foundation/UShortString.h"

namespace vellomar {

// {head; int32 count; count x (file record, byte length, name)}.
inline constexpr size_t kFileListFixedSize = kBlockHeadSize + 4;
inline constexpr size_t kFileEntryFixedSize = kFileRecordSize + 1;

struct TFileEntry {
  TFileRecord Record;
  ShortString Name;
};

// An entry left in the block's bytes, so a search tests the name before decoding anything else.
struct FileEntryView {
  std::span<const uint8_t> Record;  // kFileRecordSize bytes
  std::string_view Name;
};

// Checks the head (kind 2, check NOT L, L from 13 up to the bytes left in the file) and reads the
// count, which must fit in L, and be above 0 when L holds more than the head; else damage 003.
// Returns the count.
uint32_t readFileListHead(ByteReader& r, uint64_t bytesLeft);
// Raises damage 003.
[[noreturn]] void raiseFileListDamage();

// One entry; running past the block or an extension longer than its field raises damage 003.
// Inline, as a search reads entries by the million.
TFileEntry readFileEntry(ByteReader& r);
inline FileEntryView readFileEntryView(ByteReader& r) {
  FileEntryView entry;
  entry.Record = r.bytes(kFileRecordSize);
  entry.Name = r.shortStringView();
  if (!r.ok() || entry.Record[kFileRecordExtensionOffset] > ExtensionString::kCapacity) {
    raiseFileListDamage();
  }
  return entry;
}
// One entry of a block, entriesAfter of the count still behind it: the rest must hold at least
// their fixed parts; else damage 003. The reader ends where the block ends. Bytes behind the
// last entry the count names are damage too, which the reader of the list counts (the entries
// read stay good).
inline FileEntryView readListEntryView(ByteReader& r, uint32_t entriesAfter) {
  const FileEntryView entry = readFileEntryView(r);
  if (r.remaining() / kFileEntryFixedSize < entriesAfter) raiseFileListDamage();
  return entry;
}

// The length of a block of `count` entries whose names take nameBytes in all.
uint64_t fileListBlockLength(uint64_t count, uint64_t nameBytes);
// Head and count; the entries follow with writeFileEntry.
void writeFileListHead(ByteWriter& w, int32_t length, int32_t count);
// name: at most 255 bytes.
void writeFileEntry(ByteWriter& w, const TFileRecord& record, std::string_view name);

}  // namespace vellomar

#include "engine/UFileListBlock.h"

#include "engine/UDamageCodes.h"
#include "foundation/UExceptions.h"

namespace vellomar {

uint32_t readFileListHead(ByteReader& r, uint64_t bytesLeft) {
  const TBlockHead head = readBlockHead(r);
  const int32_t count = r.i32();
  requireRead(r, kDamageFileList);
  requireBlockHead(head, kFileListBlockKind, kFileListFixedSize, bytesLeft, kDamageFileList);
  const auto entryBytes = static_cast<uint64_t>(head.Length) - kFileListFixedSize;
  if (head.Check != complementCheck(head.Length) || count < 0 ||
      static_cast<uint64_t>(count) > entryBytes / kFileEntryFixedSize ||
      (count == 0 && entryBytes > 0)) {
    throw EKstvDBaseStructException(kDamageFileList);
  }
  return static_cast<uint32_t>(count);
}

TFileEntry readFileEntry(ByteReader& r) {
  const FileEntryView view = readFileEntryView(r);
  ByteReader record(view.Record);
  return {readFileRecord(record), ShortString(view.Name)};
}

void raiseFileListDamage() {
  throw EKstvDBaseStructException(kDamageFileList);
}

uint64_t fileListBlockLength(uint64_t count, uint64_t nameBytes) {
  return kFileListFixedSize + count * kFileEntryFixedSize + nameBytes;
}

void writeFileListHead(ByteWriter& w, int32_t length, int32_t count) {
  writeBlockHead(w, {length, complementCheck(length), kFileListBlockKind});
  w.i32(count);
}

void writeFileEntry(ByteWriter& w, const TFileRecord& record, std::string_view name) {
  writeFileRecord(w, record);
  w.shortString(name);
}

}  // namespace vellomar

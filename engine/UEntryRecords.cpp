#include "engine/api/UEntryRecords.h"

#include <algorithm>

#include "engine/UBlockHead.h"
#include "foundation/UShortString.h"

namespace vellomar {

namespace {

// A string[4] field left in place: millions of entries carry one. A length past the field is
// damage: the reader fails, and its caller raises its own code.
std::string_view extensionField(ByteReader& r) {
  const size_t length = r.u8();
  const std::span<const uint8_t> chars = r.bytes(ExtensionString::kCapacity);
  if (length > ExtensionString::kCapacity) r.fail();
  if (chars.empty() || !r.ok()) return {};
  return {reinterpret_cast<const char*>(chars.data()), length};
}

// The 19 bytes that file records and folder data share.
template <class Entry>
void readEntryFields(ByteReader& r, Entry& e) {
  e.DescOffset = r.i32();
  e.DateTime = r.i32();
  e.Size = r.i32();
  e.Attr = r.u16();
  e.Ext = extensionField(r);
}

template <class Entry>
void writeEntryFields(ByteWriter& w, const Entry& e) {
  w.i32(e.DescOffset);
  w.i32(e.DateTime);
  w.i32(e.Size);
  w.u16(e.Attr);
  w.fixedShortString(ShortString(e.Ext.view()), ExtensionString::kCapacity);
}

}  // namespace

ExtensionString::ExtensionString(std::string_view text)
    : length_(static_cast<uint8_t>(utf8CutLength(text, kCapacity))) {
  std::copy_n(text.data(), length_, chars_.begin());
}

std::string_view recordExtension(std::span<const uint8_t> record) {
  ByteReader r(record);
  r.skip(kFileRecordExtensionOffset);
  return extensionField(r);
}

int32_t storedFileSize(uint64_t size) {
  return static_cast<int32_t>(static_cast<uint32_t>(std::min<uint64_t>(size, UINT32_MAX)));
}

int64_t fileSizeOf(int32_t stored) {
  return int64_t{static_cast<uint32_t>(stored)};
}

TFileRecord readFileRecord(ByteReader& r) {
  TFileRecord record;
  readEntryFields(r, record);
  return record;
}

void writeFileRecord(ByteWriter& w, const TFileRecord& record) {
  writeEntryFields(w, record);
}

TDirData readDirData(ByteReader& r, BlockForm form) {
  TDirData data;
  readEntryFields(r, data);
  data.FileListOffset = r.i32();
  if (form == BlockForm::kOlder) return data;
  data.FileCount = r.i32();
  data.FilesSize = r.i64();
  r.copy(data.Reserved.data(), data.Reserved.size());
  return data;
}

void writeDirData(ByteWriter& w, const TDirData& data) {
  writeEntryFields(w, data);
  w.i32(data.FileListOffset);
  w.i32(data.FileCount);
  w.i64(data.FilesSize);
  w.bytes(data.Reserved);
}

TFileRecord fileRecordOf(const TDirData& data) {
  return {data.DescOffset, data.DateTime, data.Size, data.Attr, data.Ext};
}

}  // namespace vellomar

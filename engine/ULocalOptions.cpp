#include "engine/api/ULocalOptions.h"

#include <algorithm>

namespace vellomar {

namespace {

bool readBool(ByteReader& r) {
  return r.u8() != 0;
}

void writeBool(ByteWriter& w, bool value) {
  w.u8(value ? 1 : 0);
}

// The table ends at its first zero byte; a table without one keeps room for the terminator.
std::string readDescFileTable(ByteReader& r) {
  const std::span<const uint8_t> field = r.bytes(kDescFileTableSize);
  const auto end = std::find(field.begin(), field.end(), uint8_t{0});
  const std::string_view text(reinterpret_cast<const char*>(field.data()), end - field.begin());
  return std::string(utf8Prefix(text, kDescFileTableSize - 1));
}

void writeDescFileTable(ByteWriter& w, const std::string& table) {
  const size_t length = utf8CutLength(table, kDescFileTableSize - 1);
  w.bytes(table.data(), length);
  w.zeros(kDescFileTableSize - length);
}

}  // namespace

void SetDefaultLocalOptions(TLocalOptions& options) {
  options = TLocalOptions{};
  options.AlwaysTwo = 2;
  options.ScanDesc = true;
  options.OverwriteWarning = true;
  options.DescFileTable = kDefaultDescFileTable;
  options.SimulateDiskInfo = true;
  options.ScanZipExeArchives = true;
  options.ExtractFromZips = true;
  options.ExtractFromRars = true;
  options.ExtractFromAces = true;
}

TLocalOptions readLocalOptions(ByteReader& r) {
  TLocalOptions o;
  o.ScanArchives = r.u8();
  o.AlwaysTwo = r.u8();
  o.ShowDeleted = readBool(r);
  o.ScanDesc = readBool(r);
  o.OverwriteWarning = readBool(r);
  o.DescFileTable = readDescFileTable(r);
  o.SimulateDiskInfo = readBool(r);
  o.ScanZipExeArchives = readBool(r);
  o.ScanOtherExeArchives = readBool(r);
  o.AlwaysRescanArchives = readBool(r);
  o.ExtractFromZips = readBool(r);
  o.DisableVolNameChange = readBool(r);
  o.GenerateFolderDesc = readBool(r);
  o.ImportFilesBbs = readBool(r);
  o.DiskNameCounter = r.i16();
  o.DiskNamePattern = r.fixedShortString(kDiskNamePatternCapacity);
  o.AlwaysCreateDesc = readBool(r);
  o.ExtractFromRars = readBool(r);
  o.ExtractFromAces = readBool(r);
  o.SizeLimitMB = r.i32();
  r.copy(o.Reserved.data(), o.Reserved.size());
  return o;
}

void writeLocalOptions(ByteWriter& w, const TLocalOptions& o) {
  w.u8(o.ScanArchives);
  w.u8(o.AlwaysTwo);
  writeBool(w, o.ShowDeleted);
  writeBool(w, o.ScanDesc);
  writeBool(w, o.OverwriteWarning);
  writeDescFileTable(w, o.DescFileTable);
  writeBool(w, o.SimulateDiskInfo);
  writeBool(w, o.ScanZipExeArchives);
  writeBool(w, o.ScanOtherExeArchives);
  writeBool(w, o.AlwaysRescanArchives);
  writeBool(w, o.ExtractFromZips);
  writeBool(w, o.DisableVolNameChange);
  writeBool(w, o.GenerateFolderDesc);
  writeBool(w, o.ImportFilesBbs);
  w.i16(o.DiskNameCounter);
  w.fixedShortString(o.DiskNamePattern, kDiskNamePatternCapacity);
  writeBool(w, o.AlwaysCreateDesc);
  writeBool(w, o.ExtractFromRars);
  writeBool(w, o.ExtractFromAces);
  w.i32(o.SizeLimitMB);
  w.bytes(o.Reserved);
}

}  // namespace vellomar

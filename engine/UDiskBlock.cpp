#include "engine/UDiskBlock.h"

#include "engine/UDamageCodes.h"
#include "foundation/UExceptions.h"
#include "platform/PText.h"

namespace vellomar {

namespace {

constexpr size_t kShortStringCapacity = ShortString::kMaxLength;

// A disk or folder check of either form: the negated count (current) or its complement (older).
template <class Count>
bool checkForm(Count count, Count check, BlockForm& form) {
  if (check == static_cast<Count>(0 - count)) {
    form = BlockForm::kCurrent;
  } else if (check == static_cast<Count>(~count)) {
    form = BlockForm::kOlder;
  } else {
    return false;
  }
  return true;
}

}  // namespace

size_t diskInfoSize(BlockForm form) {
  return form == BlockForm::kCurrent ? kDiskInfoSize : kOldDiskInfoSize;
}

bool isDiskBlockHead(const TBlockHead& head, uint64_t bytesLeft, BlockForm& form) {
  if (head.Kind != kDiskBlockKind ||
      !checkForm(static_cast<uint32_t>(head.Length), static_cast<uint32_t>(head.Check), form)) {
    return false;
  }
  const size_t minimum = kBlockHeadSize + diskInfoSize(form);
  return head.Length >= 0 && static_cast<uint32_t>(head.Length) >= minimum && minimum <= bytesLeft;
}

TDiskBlockHead readDiskBlockHead(ByteReader& r, uint64_t bytesLeft, int code) {
  const TBlockHead head = readBlockHead(r);
  requireRead(r, code);
  TDiskBlockHead result{head.Length, BlockForm::kCurrent};
  if (!isDiskBlockHead(head, bytesLeft, result.Form)) throw EKstvDBaseStructException(code);
  requireBlockHead(head, kDiskBlockKind, kBlockHeadSize + diskInfoSize(result.Form), bytesLeft,
                   code);
  return result;
}

void writeDiskBlockHead(ByteWriter& w, uint32_t foldersSize) {
  const auto length = static_cast<int32_t>(kDiskBlockFixedSize + foldersSize);
  writeBlockHead(w, {length, negatedCheck(length), kDiskBlockKind});
}

TDiskInfo readDiskInfo(ByteReader& r, BlockForm form) {
  TDiskInfo d;
  d.Flags = r.i32();
  d.ScanDateTime = r.i32();
  d.Folders = r.i32();
  d.Files = r.i32();
  d.Archives = r.i32();
  d.ArchiveFolders = r.i32();
  d.ArchiveFiles = r.i32();
  d.OldPhysSizeKB = r.i32();
  d.OldArchSizeKB = r.i32();
  d.OldDataSizeKB = r.i32();
  d.DiskSizeKB = r.i32();
  d.FreeKB = r.i32();
  d.SectorsPerCluster = r.i32();
  d.BytesPerSector = r.i32();
  r.copy(d.Reserved56.data(), d.Reserved56.size());
  d.Drive = static_cast<char>(r.u8());
  r.copy(d.Reserved109.data(), d.Reserved109.size());
  d.DiskName = r.fixedShortString(kShortStringCapacity);
  if (form == BlockForm::kOlder) {
    // Sizes were kept in kB, which are never negative.
    d.PhysSize = int64_t{static_cast<uint32_t>(d.OldPhysSizeKB)} * 1024;
    d.ArchSize = int64_t{static_cast<uint32_t>(d.OldArchSizeKB)} * 1024;
    d.DataSize = int64_t{static_cast<uint32_t>(d.OldDataSizeKB)} * 1024;
    return d;
  }
  d.VolumeLabel = r.fixedShortString(kShortStringCapacity);
  d.ScannedPath = r.fixedShortString(kShortStringCapacity);
  r.copy(d.Reserved884.data(), d.Reserved884.size());
  d.PhysSize = r.i64();
  d.ArchSize = r.i64();
  d.DataSize = r.i64();
  r.copy(d.Reserved1164.data(), d.Reserved1164.size());
  return d;
}

void writeDiskInfo(ByteWriter& w, const TDiskInfo& d, BlockForm form) {
  w.i32(d.Flags);
  w.i32(d.ScanDateTime);
  w.i32(d.Folders);
  w.i32(d.Files);
  w.i32(d.Archives);
  w.i32(d.ArchiveFolders);
  w.i32(d.ArchiveFiles);
  w.i32(d.OldPhysSizeKB);
  w.i32(d.OldArchSizeKB);
  w.i32(d.OldDataSizeKB);
  w.i32(d.DiskSizeKB);
  w.i32(d.FreeKB);
  w.i32(d.SectorsPerCluster);
  w.i32(d.BytesPerSector);
  w.bytes(d.Reserved56);
  w.u8(static_cast<uint8_t>(d.Drive));
  w.bytes(d.Reserved109);
  w.fixedShortString(d.DiskName, kShortStringCapacity);
  if (form == BlockForm::kOlder) return;
  w.fixedShortString(d.VolumeLabel, kShortStringCapacity);
  w.fixedShortString(d.ScannedPath, kShortStringCapacity);
  w.bytes(d.Reserved884);
  w.i64(d.PhysSize);
  w.i64(d.ArchSize);
  w.i64(d.DataSize);
  w.bytes(d.Reserved1164);
}

TFolderRecord readFolderRecord(ByteReader& r) {
  const FolderRecordView view = readFolderRecordView(r);
  return {view.SubDirCount, view.Data, ShortString(view.Name)};
}

FolderRecordView readFolderRecordView(ByteReader& r) {
  FolderRecordView record;
  record.SubDirCount = r.u16();
  const uint16_t check = r.u16();
  BlockForm form = BlockForm::kCurrent;
  requireRead(r, kDamageFolderRecord);
  if (!checkForm(record.SubDirCount, check, form)) {
    throw EKstvDBaseStructException(kDamageFolderRecord);
  }
  record.Data = readDirData(r, form);
  record.Name = r.shortStringView();
  requireRead(r, kDamageFolderRecord);
  return record;
}

void requireFolderRecordsEnd(const ByteReader& r) {
  if (!r.atEnd()) throw EKstvDBaseStructException(kDamageFolderRecord);
}

void writeFolderRecord(ByteWriter& w, uint16_t subDirCount, const TDirData& data,
                       const ShortString& name) {
  w.u16(subDirCount);
  w.u16(static_cast<uint16_t>(-subDirCount));
  writeDirData(w, data);
  w.shortString(name.view());
}

int CompareFolderNames(std::string_view nameA, const ExtensionString& extA, std::string_view nameB,
                       const ExtensionString& extB) {
  const int byName = compareTextThenBytes(nameA, nameB);
  if (byName != 0) return byName;
  return compareTextThenBytes(extA.view(), extB.view());
}

}  // namespace vellomar

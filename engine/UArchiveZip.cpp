#include "engine/UArchiveZip.h"

#include <algorithm>
#include <string_view>

#include "engine/UArchiveFile.h"
#include "engine/UMemberNames.h"
#include "platform/PAsciiText.h"

namespace vellomar {
namespace {

constexpr std::string_view kEndSignature = "PK\x05\x06";
constexpr std::string_view kZip64LocatorSignature = "PK\x06\x07";
constexpr std::string_view kZip64EndSignature = "PK\x06\x06";
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kLocalSignature = 0x04034B50;

constexpr size_t kEndRecordSize = 22;
constexpr size_t kZip64LocatorSize = 20;
constexpr size_t kZip64EndFixedSize = 56;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kLocalHeaderSize = 30;
// An end record with the longest comment lies within this many bytes of the file end.
constexpr uint64_t kEndSearchSize = kEndRecordSize + 0xFFFF;
// Names in UTF-8 rather than in the OEM code page.
constexpr uint16_t kUtf8NameFlag = 0x0800;

// Members whose name is blank (folders end in "/") are not listed.
void addZipMember(TArchiveEntryList& list, std::string_view stored, uint16_t flags,
                  uint32_t dateTime, uint32_t size, uint64_t headerOffset) {
  MemberName member =
      memberName(stored, flags & kUtf8NameFlag ? NameCoding::kUtf8 : NameCoding::kOem);
  member.name = trim(member.name, kSpaces);
  addArchiveMember(list, member, 0, static_cast<int32_t>(dateTime), size, offset32(headerOffset));
}

// The fields from the flags on, alike in local and central headers.
struct CommonFields {
  uint16_t flags = 0;
  uint32_t dateTime = 0;
  uint32_t packedSize = 0;
  uint32_t size = 0;
  uint16_t nameLength = 0;
  uint16_t extraLength = 0;
};

CommonFields readCommonFields(ByteReader& r) {
  CommonFields f;
  f.flags = r.u16();
  r.skip(2);  // method
  f.dateTime = r.u32();
  r.skip(4);  // CRC
  f.packedSize = r.u32();
  f.size = r.u32();
  f.nameLength = r.u16();
  f.extraLength = r.u16();
  return f;
}

bool walkLocalHeaders(ArchiveFile& file, TArchiveEntryList& list, uint64_t position) {
  bool listed = false;
  while (true) {
    ByteReader header = file.read(position, kLocalHeaderSize);
    if (header.u32() != kLocalSignature) break;
    header.skip(2);  // version needed
    const CommonFields f = readCommonFields(header);
    if (!header.ok()) break;
    ByteReader rest = file.read(position + kLocalHeaderSize, size_t{f.nameLength} + f.extraLength);
    const std::string_view stored = asText(rest.bytes(f.nameLength));
    rest.skip(f.extraLength);
    if (!rest.ok()) break;
    addZipMember(list, stored, f.flags, f.dateTime, f.size, position);
    listed = true;
    const uint64_t next = position + kLocalHeaderSize + f.nameLength + f.extraLength + f.packedSize;
    if (next >= file.size()) break;
    position = next;
  }
  return listed;
}

// The last end-record signature in the bytes that can hold one.
bool findEndRecord(ArchiveFile& file, uint64_t& offset) {
  const uint64_t start = file.size() - std::min(file.size(), kEndSearchSize);
  ByteReader tail = file.read(start, static_cast<size_t>(file.size() - start));
  const std::string_view text = asText(tail.bytes(tail.size()));
  const size_t found = text.rfind(kEndSignature);
  if (found == std::string_view::npos) return false;
  offset = start + found;
  return true;
}

// In a ZIP64 archive the central directory ends where the ZIP64 end record begins, not at
// the end record; where that record is found, its start is the directory's end.
uint64_t directoryEnd(ArchiveFile& file, uint64_t endRecord) {
  if (endRecord < kZip64LocatorSize) return endRecord;
  const uint64_t locator = endRecord - kZip64LocatorSize;
  ByteReader r = file.read(locator, kZip64LocatorSize);
  if (asText(r.bytes(4)) != kZip64LocatorSignature) return endRecord;
  r.skip(4);
  const uint64_t stored = r.u64();
  // Bytes in front of the archive shift the stored offset; the fixed-size record then lies
  // right before the locator.
  for (uint64_t candidate : {stored, locator - std::min(locator, kZip64EndFixedSize)}) {
    if (candidate < locator && asText(file.read(candidate, 4).bytes(4)) == kZip64EndSignature) {
      return candidate;
    }
  }
  return endRecord;
}

bool readCentralDirectory(ArchiveFile& file, TArchiveEntryList& list, uint64_t endRecord) {
  ByteReader end = file.read(endRecord + 4, kEndRecordSize - 4);
  const uint16_t thisDisk = end.u16();
  const uint16_t directoryDisk = end.u16();
  end.skip(4);
  uint64_t directorySize = end.u32();
  if (!end.ok() || thisDisk != directoryDisk) return false;
  const uint64_t directoryStop = directoryEnd(file, endRecord);
  if (directoryStop != endRecord) {
    ByteReader zip64 = file.read(directoryStop + 40, 8);
    directorySize = zip64.u64();
    if (!zip64.ok()) return false;
  }
  // Found by its size, not its stored offset, so bytes in front of the archive do no harm.
  if (directorySize > directoryStop) return false;
  uint64_t position = directoryStop - directorySize;
  bool listed = false;
  while (true) {
    ByteReader header = file.read(position, kCentralHeaderSize);
    if (header.u32() != kCentralSignature) break;
    header.skip(4);  // versions made by and needed
    const CommonFields f = readCommonFields(header);
    const uint16_t commentLength = header.u16();
    header.skip(8);  // disk, internal and external attributes
    const uint32_t localOffset = header.u32();
    if (!header.ok()) break;
    ByteReader name = file.read(position + kCentralHeaderSize, f.nameLength);
    const std::string_view stored = asText(name.bytes(f.nameLength));
    if (!name.ok()) break;
    listed = true;
    addZipMember(list, stored, f.flags, f.dateTime, f.size, localOffset);
    position += kCentralHeaderSize + f.nameLength + f.extraLength + commentLength;
  }
  return listed;
}

}  // namespace

bool ReadZipCentral(TArchiveEntryList& list, const std::string& path, uint64_t endRecordOffset) {
  return listArchive(list, path, [&](ArchiveFile& file) {
    uint64_t endRecord = endRecordOffset;
    if (endRecord == 0 && !findEndRecord(file, endRecord)) {
      return walkLocalHeaders(file, list, 0);
    }
    return readCentralDirectory(file, list, endRecord);
  });
}

bool ReadZipLocal(TArchiveEntryList& list, const std::string& path, uint64_t firstHeaderOffset) {
  return listArchive(list, path, [&](ArchiveFile& file) {
    return walkLocalHeaders(file, list, firstHeaderOffset);
  });
}

}  // namespace vellomar

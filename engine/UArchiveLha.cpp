#include "engine/UArchiveLha.h"

#include <algorithm>
#include <string_view>

#include "engine/UArchiveFile.h"
#include "engine/UMemberNames.h"

namespace vellomar {
namespace {

// Bytes common to every header level, up to the name length at +21.
constexpr size_t kCommonSize = 22;
constexpr size_t kMethodOffset = 2;
constexpr size_t kMethodSize = 5;
constexpr size_t kPackedSizeOffset = 7;
constexpr size_t kLevelOffset = 20;
constexpr size_t kExtensionHeaderMinSize = 3;
// Folders are stored as members of this method; they are no members of the listing.
constexpr std::string_view kFolderMethod = "-lhd-";
constexpr uint8_t kFileNameExtension = 0x01;
constexpr uint8_t kFolderNameExtension = 0x02;
// Folder names in extended headers separate their parts by this byte.
constexpr char kFolderSeparator = '\xFF';
// An archiver on Unix stores names in the system's own coding, UTF-8, not a DOS code page.
constexpr uint8_t kUnixSystem = 'U';

struct LhaHeader {
  uint8_t level = 0;
  uint64_t headerSize = 0;  // the whole header on disk
  uint32_t packedSize = 0;
  uint32_t size = 0;
  uint32_t time = 0;
  uint8_t attr = 0;
  uint8_t system = 0;  // the archiver's operating system; level 0 names none
  std::string name;
  std::string folder;
};

// Walks a chain of extended headers: each is {type, data, uint16 size of the next}; a next
// size of 0 ends it. Levels 1 and 2 both keep names and folders there.
bool readExtensions(ByteReader chain, uint16_t nextSize, LhaHeader& header) {
  while (nextSize != 0) {
    if (nextSize < kExtensionHeaderMinSize) return false;
    const uint8_t type = chain.u8();
    const std::string_view data = asText(chain.bytes(nextSize - kExtensionHeaderMinSize));
    nextSize = chain.u16();
    if (!chain.ok()) return false;
    if (type == kFileNameExtension) header.name = data;
    if (type == kFolderNameExtension) {
      header.folder = data;
      for (char& c : header.folder) {
        if (c == kFolderSeparator) c = '\\';
      }
      if (!header.folder.empty() && header.folder.back() != '\\') header.folder += '\\';
    }
  }
  return true;
}

// The fields from the packed size at +7 to the level at +20, the same in every level.
void readCommonFields(ByteReader& r, LhaHeader& header) {
  r.seek(kPackedSizeOffset);
  header.packedSize = r.u32();
  header.size = r.u32();
  header.time = r.u32();
  header.attr = r.u8();
  header.level = r.u8();
}

// Levels 0 and 1: a one-byte header size (without its first two bytes) and a DOS time.
// Level 1 keeps its extended headers after the base header, counted in the packed size.
bool readLevel01(ArchiveFile& file, uint64_t position, LhaHeader& header) {
  const size_t headerSize = file.read(position, 1).u8() + size_t{2};
  ByteReader r = file.read(position, headerSize);
  if (r.size() != headerSize) return false;
  header.headerSize = headerSize;
  readCommonFields(r, header);
  header.name = asText(r.bytes(r.u8()));
  if (header.level == 0) return r.ok();
  r.skip(2);
  header.system = r.u8();
  const uint16_t nextSize = r.u16();
  if (!r.ok()) return false;
  // The chain is short; one that runs past a window is taken as damage.
  const size_t chainSize = std::min<size_t>(header.packedSize, ArchiveFile::kWindowSize);
  return readExtensions(file.read(position + headerSize, chainSize), nextSize, header);
}

// Level 2: a two-byte size of the whole header, extended headers inside it, a Unix time.
bool readLevel2(ArchiveFile& file, uint64_t position, LhaHeader& header) {
  const size_t headerSize = file.read(position, 2).u16();
  ByteReader r = file.read(position, headerSize);
  if (r.size() != headerSize) return false;
  header.headerSize = headerSize;
  readCommonFields(r, header);
  header.time = static_cast<uint32_t>(dosDateTimeFromUnix(header.time));
  r.skip(2);
  header.system = r.u8();
  const uint16_t nextSize = r.u16();
  if (!r.ok()) return false;
  return readExtensions(r, nextSize, header);
}

}  // namespace

bool ReadLhaArchive(TArchiveEntryList& list, const std::string& path, uint64_t start) {
  return listArchive(list, path, [&](ArchiveFile& file) {
    uint64_t position = start > 1 ? start - 2 : start;
    if (position >= file.size()) return false;
    while (position < file.size()) {
      ByteReader common = file.read(position, kCommonSize);
      // A header size of 0 ends the archive.
      const uint8_t headerSize = common.u8();
      if (!common.ok()) return false;
      if (headerSize == 0) return true;
      common.seek(kMethodOffset);
      const std::string_view method = asText(common.bytes(kMethodSize));
      common.seek(kLevelOffset);
      const uint8_t level = common.u8();
      if (!common.ok() || method[0] != '-' || method[1] != 'l' || method[4] != '-') return false;
      LhaHeader header;
      const bool read = level <= 1   ? readLevel01(file, position, header)
                        : level == 2 ? readLevel2(file, position, header)
                                     : false;
      if (!read) return false;
      if (method != kFolderMethod) {
        addArchiveMember(
            list,
            memberName(header.folder + header.name,
                       header.system == kUnixSystem ? NameCoding::kUtf8 : NameCoding::kOem),
            header.attr, static_cast<int32_t>(header.time), header.size, offset32(position));
      }
      position += header.headerSize + header.packedSize;
    }
    return true;
  });
}

}  // namespace vellomar

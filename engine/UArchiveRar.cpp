#include "engine/UArchiveRar.h"

#include <string_view>

#include "engine/UArchiveFile.h"
#include "engine/UUnRar.h"

namespace vellomar {
namespace {

// The later format starts "Rar!" 1A 07 01 and is not read here.
constexpr std::string_view kMarker{"Rar!\x1A\x07\x00", 7};
constexpr size_t kBlockHeadSize = 7;

constexpr uint8_t kFirstBlockType = 0x72;
constexpr uint8_t kFileBlock = 0x74;
constexpr uint8_t kEndBlock = 0x7B;

constexpr uint16_t kLongBlockFlag = 0x8000;    // a uint32 data size follows the head
constexpr uint16_t kLargeFileFlag = 0x0100;    // high words of both sizes follow
constexpr uint16_t kUnicodeNameFlag = 0x0200;  // the name is "plain\0encoded"
constexpr uint16_t kFolderMask = 0x00E0;

struct Block {
  uint8_t type = 0;
  uint16_t flags = 0;
  uint16_t headSize = 0;
  uint64_t dataSize = 0;
};

// Reads a file block's fields after its 7-byte head and lists it unless it is a folder.
// False when the fields do not fit in the block's head.
bool readFileBlock(ByteReader& r, uint64_t position, Block& block, TArchiveEntryList& list) {
  uint64_t packedSize = r.u32();
  const uint32_t size = r.u32();
  r.skip(5);
  const uint32_t dateTime = r.u32();
  r.skip(2);
  const uint16_t nameSize = r.u16();
  const uint32_t attributes = r.u32();
  if (block.flags & kLargeFileFlag) {
    packedSize |= uint64_t{r.u32()} << 32;
    r.skip(4);
  }
  std::string_view name = asText(r.bytes(nameSize));
  if (!r.ok()) return false;
  block.dataSize = packedSize;
  if ((block.flags & kFolderMask) == kFolderMask) return true;
  if (block.flags & kUnicodeNameFlag) name = untilZero(name);
  std::string fullName(name);
  slashesToBackslashes(fullName);
  addArchiveMember(list, fullName, static_cast<uint8_t>(attributes), static_cast<int32_t>(dateTime),
                   size, offset32(position));
  return true;
}

}  // namespace

bool ReadRarArchive(TArchiveEntryList& list, const std::string& path, uint64_t start) {
  // The library reads what the walk cannot (Unicode names, RAR5); the walk is the fallback.
  if (ReadRarByDll(list, path)) return true;
  return listArchive(list, path, [&](ArchiveFile& file) {
    if (asText(file.read(start, kMarker.size()).bytes(kMarker.size())) != kMarker) return false;
    const int32_t countBefore = list.Count();
    uint64_t position = start;
    while (position < file.size()) {
      ByteReader head = file.read(position, kBlockHeadSize);
      Block block;
      head.skip(2);  // CRC
      block.type = head.u8();
      block.flags = head.u16();
      block.headSize = head.u16();
      if (!head.ok() || block.headSize < kBlockHeadSize || block.type < kFirstBlockType ||
          block.type >= kEndBlock) {
        break;
      }
      // The fields of a block lie in its head; a reader over the head alone keeps them there.
      ByteReader r = file.read(position, block.headSize);
      r.seek(kBlockHeadSize);
      if (block.type == kFileBlock) {
        if (!readFileBlock(r, position, block, list)) break;
      } else if (block.flags & kLongBlockFlag) {
        block.dataSize = r.u32();
        if (!r.ok()) break;
      }
      // Sizes past the file end the walk; a 64-bit sum could otherwise wrap round.
      if (block.headSize > file.size() - position ||
          block.dataSize > file.size() - position - block.headSize) {
        break;
      }
      position += block.headSize + block.dataSize;
    }
    return list.Count() > countBefore;
  });
}

}  // namespace vellomar

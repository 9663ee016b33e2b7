#include "foundation/URarBlocks.h"

#include <utility>

#include "foundation/UCrc32.h"

namespace vellomar {

namespace {

constexpr size_t kCrcFieldSize = 2;

// The fields of a file block from the reader placed after its head; false when they do not fit.
bool readFileFields(ByteReader& r, uint16_t flags, RarFileFields& file) {
  file.packedSize = r.u32();
  file.unpackedSize = r.u32();
  file.hostSystem = r.u8();
  file.fileCrc = r.u32();
  file.dateTime = r.u32();
  file.version = r.u8();
  file.method = r.u8();
  const uint16_t nameSize = r.u16();
  file.attributes = r.u32();
  if (flags & kRarLargeFile) {
    file.packedSize |= uint64_t{r.u32()} << 32;
    file.unpackedSize |= uint64_t{r.u32()} << 32;
  }
  file.name = r.bytes(nameSize);
  return r.ok();
}

}  // namespace

bool RarBlock::crcMatches() const {
  if (head.size() != headSize || headSize < kRarBlockHeadSize) return false;
  return static_cast<uint16_t>(crc32Of(head.subspan(kCrcFieldSize))) == crc;
}

bool isRarMarker(ByteReader bytes) {
  const std::span<const uint8_t> marker = bytes.bytes(kRarMarker.size());
  return marker.size() == kRarMarker.size() &&
         std::string_view(reinterpret_cast<const char*>(marker.data()), marker.size()) ==
             kRarMarker;
}

RarBlockWalk::RarBlockWalk(ByteSource read, uint64_t fileSize, uint64_t start)
    : read_(std::move(read)), fileSize_(fileSize), position_(start) {}

RarBlockWalk::Step RarBlockWalk::next(RarBlock& block) {
  if (broken_) return Step::kBroken;
  if (position_ == fileSize_) return Step::kEnd;
  block = RarBlock{};
  block.position = position_;
  ByteReader head = read_(position_, kRarBlockHeadSize);
  block.crc = head.u16();
  block.type = head.u8();
  block.flags = head.u16();
  block.headSize = head.u16();
  broken_ = true;  // until the block proves whole
  if (!head.ok() || block.headSize < kRarBlockHeadSize) return Step::kBroken;
  if (block.type == kRarEndBlock) {
    broken_ = false;
    position_ = fileSize_;
    return Step::kEnd;
  }
  // Sub-blocks and old comment, recovery and authenticity blocks lie between these two.
  if (block.type < kRarMarkerBlock || block.type > kRarEndBlock) return Step::kBroken;
  // The fields of a block lie in its head; a reader over the head alone keeps them there.
  ByteReader r = read_(position_, block.headSize);
  block.head = r.bytes(r.size());
  r.seek(kRarBlockHeadSize);
  if (block.type == kRarFileBlock) {
    if (!readFileFields(r, block.flags, block.file)) return Step::kBroken;
    block.dataSize = block.file.packedSize;
  } else if (block.flags & kRarLongBlock) {
    block.dataSize = r.u32();
    if (!r.ok()) return Step::kBroken;
  }
  // Sizes past the file end the walk after this block; a 64-bit sum could otherwise wrap round.
  const uint64_t left = fileSize_ - position_;
  if (block.headSize <= left && block.dataSize <= left - block.headSize) {
    position_ += block.headSize + block.dataSize;
    broken_ = false;
  }
  return Step::kBlock;
}

}  // namespace vellomar

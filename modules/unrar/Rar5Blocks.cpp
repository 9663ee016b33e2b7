#include "modules/unrar/Rar5Blocks.h"

#include <utility>

#include "foundation/UCrc32.h"

namespace vellomar {

namespace {

constexpr size_t kCrcSize = 4;
// The size of a header is at most 2 MB, three bytes as a variable-length integer.
constexpr size_t kMaxHeadSizeBytes = 3;
constexpr uint64_t kMaxHeadSize = 2 * 1024 * 1024;
constexpr size_t kMaxVintBytes = 10;

// Flags of every header.
constexpr uint64_t kExtraArea = 0x0001;
constexpr uint64_t kDataArea = 0x0002;
// Flags of a file header.
constexpr uint64_t kUnixTimeField = 0x0002;
constexpr uint64_t kCrcField = 0x0004;
// The time record of a file header's extra area.
constexpr uint64_t kTimeRecord = 3;
constexpr uint64_t kTimeIsUnix = 0x0001;
constexpr uint64_t kModifiedTime = 0x0002;
// Windows file times count 100 ns from 1601.
constexpr uint64_t kFileTimeUnitsPerSecond = 10000000;
constexpr int64_t kFileTimeToUnixSeconds = 11644473600;

// A variable-length integer: seven bits a byte, low bits first, bit 7 set while more follow.
uint64_t vint(ByteReader& r) {
  uint64_t value = 0;
  for (size_t i = 0; i < kMaxVintBytes; ++i) {
    const uint8_t byte = r.u8();
    value |= uint64_t{byte & 0x7Fu} << (7 * i);
    if (!(byte & 0x80)) return value;
  }
  r.fail();
  return 0;
}

// The modification time of the extra area's time record, when it holds one.
std::optional<int64_t> modifiedTime(ByteReader extra) {
  while (extra.ok() && !extra.atEnd()) {
    const uint64_t size = vint(extra);
    if (!extra.ok() || size > extra.remaining()) break;
    ByteReader record(extra.bytes(static_cast<size_t>(size)));
    if (vint(record) != kTimeRecord) continue;
    const uint64_t flags = vint(record);
    if (!(flags & kModifiedTime)) break;
    if (flags & kTimeIsUnix) {
      const uint32_t seconds = record.u32();
      if (record.ok()) return seconds;
    } else {
      const uint64_t fileTime = record.u64();
      if (record.ok()) {
        return static_cast<int64_t>(fileTime / kFileTimeUnitsPerSecond) - kFileTimeToUnixSeconds;
      }
    }
    break;
  }
  return std::nullopt;
}

// The fields of a file or service header after its common fields; extra is the extra area.
bool readFile(ByteReader& r, ByteReader extra, Rar5File& file) {
  file.fileFlags = vint(r);
  file.unpackedSize = vint(r);
  file.attributes = vint(r);
  if (file.fileFlags & kUnixTimeField) file.modified = r.u32();
  if (file.fileFlags & kCrcField) r.skip(4);
  vint(r);  // compression
  file.hostSystem = vint(r);
  const uint64_t nameSize = vint(r);
  if (!r.ok() || nameSize > r.remaining()) return false;
  file.name = r.bytes(static_cast<size_t>(nameSize));
  if (!file.modified) file.modified = modifiedTime(extra);
  return r.ok();
}

}  // namespace

Rar5BlockWalk::Rar5BlockWalk(ByteSource read, uint64_t fileSize, uint64_t start)
    : read_(std::move(read)), fileSize_(fileSize), position_(start) {}

Rar5BlockWalk::Step Rar5BlockWalk::next(Rar5Block& block) {
  if (broken_) return Step::kBroken;
  if (position_ == fileSize_) return Step::kEnd;
  block = Rar5Block{};
  block.position = position_;
  broken_ = true;  // until the block proves whole
  ByteReader prefix = read_(position_, kCrcSize + kMaxHeadSizeBytes);
  const uint32_t crc = prefix.u32();
  uint64_t headSize = 0;
  size_t sizeBytes = 0;
  for (uint8_t byte = 0x80; byte & 0x80; ++sizeBytes) {
    if (sizeBytes == kMaxHeadSizeBytes) return Step::kBroken;
    byte = prefix.u8();
    headSize |= uint64_t{byte & 0x7Fu} << (7 * sizeBytes);
  }
  if (!prefix.ok() || headSize == 0 || headSize > kMaxHeadSize) return Step::kBroken;
  const size_t wholeSize = kCrcSize + sizeBytes + static_cast<size_t>(headSize);
  ByteReader whole = read_(position_, wholeSize);
  if (whole.size() != wholeSize) return Step::kBroken;
  const std::span<const uint8_t> checked = whole.bytes(wholeSize).subspan(kCrcSize);
  block.crcMatches = crc32Of(checked) == crc;

  ByteReader r(checked.subspan(sizeBytes));
  block.type = vint(r);
  block.flags = vint(r);
  const uint64_t extraSize = block.flags & kExtraArea ? vint(r) : 0;
  if (block.flags & kDataArea) block.dataSize = vint(r);
  if (!r.ok() || extraSize > r.remaining()) return Step::kBroken;
  const size_t fieldsEnd = r.size() - static_cast<size_t>(extraSize);
  ByteReader extra(checked.subspan(sizeBytes + fieldsEnd));
  ByteReader fields(checked.subspan(sizeBytes).first(fieldsEnd));
  fields.seek(r.position());
  if (block.type == kRar5FileBlock || block.type == kRar5ServiceBlock) {
    if (!readFile(fields, extra, block.file)) return Step::kBroken;
  }
  if (!fields.ok()) return Step::kBroken;
  if (block.type == kRar5EndBlock) {
    broken_ = false;
    position_ = fileSize_;
    return Step::kEnd;
  }
  const uint64_t left = fileSize_ - position_;
  if (wholeSize <= left && block.dataSize <= left - wholeSize) {
    position_ += wholeSize + block.dataSize;
    broken_ = false;
  }
  return Step::kBlock;
}

}  // namespace vellomar

#include "modules/unace/AceArchive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "foundation/UByteReader.h"
#include "foundation/UCrc32.h"

namespace vellomar {

namespace {

constexpr size_t kHeadPrefixSize = 4;  // uint16 CRC, uint16 size of what follows
constexpr uint8_t kMainHeaderType = 0;
constexpr uint8_t kFileHeaderType = 1;
constexpr uint16_t kAddSize = 0x0001;
constexpr std::string_view kMagic = "**ACE**";
constexpr size_t kMagicOffset = 7;  // behind the head prefix, the type and the flags
// Self-extracting archives carry their program in front of the main header.
constexpr size_t kMainHeaderSearchSize = 256 * 1024;
// A program stub holds the magic text rarely if at all; a file full of it is no archive.
constexpr size_t kMaxMainHeaderCandidates = 64;
constexpr size_t kCopyBlockSize = 64 * 1024;

// type, flags, packed size, size, date-time, attributes, CRC, method, quality, parameters,
// reserved, name length.
constexpr size_t kFileHeaderFixedSize = 1 + 2 + 4 + 4 + 4 + 4 + 4 + 1 + 1 + 2 + 2 + 2;
// type, flags, magic, two versions, host, volume, date-time, reserved.
constexpr size_t kMainHeaderFixedSize = 1 + 2 + 7 + 1 + 1 + 1 + 1 + 4 + 8;

uint16_t headCrc(const uint8_t* head, size_t size) {
  return static_cast<uint16_t>(aceCrc(kAceCrcStart, head, size) & 0xFFFF);
}

}  // namespace

uint32_t aceCrc(uint32_t crc, const uint8_t* data, size_t size) {
  return crc32Update(crc, std::span<const uint8_t>(data, size));
}

AceArchiveFile::~AceArchiveFile() {
  if (fd_ >= 0) close(fd_);
}

bool AceArchiveFile::readAt(uint64_t position, void* out, size_t n) const {
  if (position > fileSize_ || n > fileSize_ - position) return false;
  auto* bytes = static_cast<uint8_t*>(out);
  while (n > 0) {
    const ssize_t got = pread(fd_, bytes, n, static_cast<off_t>(position));
    if (got <= 0) return false;
    bytes += got;
    position += static_cast<uint64_t>(got);
    n -= static_cast<size_t>(got);
  }
  return true;
}

int32_t AceArchiveFile::open(const char* path) {
  fd_ = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return kAceErrorOpen;
  struct stat info;
  if (fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) return kAceErrorOpen;
  fileSize_ = static_cast<uint64_t>(info.st_size);
  return findMainHeader() ? kAceOk : kAceErrorNotArchive;
}

bool AceArchiveFile::findMainHeader() {
  std::vector<uint8_t> start(
      static_cast<size_t>(std::min<uint64_t>(fileSize_, kMainHeaderSearchSize)));
  if (!readAt(0, start.data(), start.size())) return false;
  const std::string_view text(reinterpret_cast<const char*>(start.data()), start.size());
  size_t candidates = 0;
  for (size_t at = text.find(kMagic, kMagicOffset);
       at != std::string_view::npos && candidates < kMaxMainHeaderCandidates;
       at = text.find(kMagic, at + 1), ++candidates) {
    const size_t headStart = at - kMagicOffset;
    ByteReader prefix(start.data() + headStart, start.size() - headStart);
    const uint16_t crc = prefix.u16();
    const uint16_t size = prefix.u16();
    if (!prefix.has(size) || size < kMainHeaderFixedSize) continue;
    const uint8_t* head = start.data() + prefix.position();
    if (head[0] != kMainHeaderType || headCrc(head, size) != crc) continue;
    ByteReader main(head, size);
    main.skip(1);
    header_.flags = main.u16();
    main.skip(kMagic.size());
    header_.version = main.u8();
    main.skip(2);  // version made by, host
    header_.volume = main.u8();
    firstMember_ = headStart + kHeadPrefixSize + size;
    return true;
  }
  return false;
}

int32_t AceArchiveFile::walk(const std::function<int32_t(const AceMember&)>& visit) {
  uint64_t position = firstMember_;
  while (position != fileSize_) {
    uint8_t prefixBytes[kHeadPrefixSize];
    if (!readAt(position, prefixBytes, sizeof prefixBytes)) return kAceErrorRead;
    ByteReader prefix(prefixBytes, sizeof prefixBytes);
    const uint16_t crc = prefix.u16();
    const uint16_t size = prefix.u16();
    std::vector<uint8_t> head(size);
    if (size < 3 || !readAt(position + kHeadPrefixSize, head.data(), size)) return kAceErrorRead;
    if (headCrc(head.data(), head.size()) != crc) return kAceErrorRead;

    ByteReader reader(head.data(), head.size());
    const uint8_t type = reader.u8();
    const uint16_t flags = reader.u16();
    const uint64_t dataOffset = position + kHeadPrefixSize + size;
    uint64_t dataSize = 0;
    if (type == kFileHeaderType) {
      if (size < kFileHeaderFixedSize) return kAceErrorRead;
      AceMember member;
      member.flags = flags;
      member.packedSize = reader.u32();
      member.size = reader.u32();
      member.dateTime = reader.u32();
      member.attributes = reader.u32();
      member.crc = reader.u32();
      member.method = reader.u8();
      reader.skip(1 + 2 + 2);  // quality, parameters, reserved
      const uint16_t nameLength = reader.u16();
      const auto name = reader.bytes(nameLength);
      if (!reader.ok()) return kAceErrorRead;
      member.name.assign(name.begin(), name.end());
      member.name.resize(strnlen(member.name.c_str(), member.name.size()));
      member.dataOffset = dataOffset;
      dataSize = member.packedSize;
      if (dataSize > fileSize_ - dataOffset) return kAceErrorRead;
      if (const int32_t result = visit(member); result != kAceOk) return result;
    } else if (flags & kAddSize) {
      dataSize = reader.u32();
      if (!reader.ok()) return kAceErrorRead;
    }
    if (dataSize > fileSize_ - dataOffset) return kAceErrorRead;
    position = dataOffset + dataSize;
  }
  return kAceOk;
}

int32_t AceArchiveFile::copyStored(const AceMember& member, int fd) {
  std::vector<uint8_t> block(kCopyBlockSize);
  uint32_t crc = kAceCrcStart;
  uint64_t position = member.dataOffset;
  uint64_t left = member.packedSize;
  while (left > 0) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(left, block.size()));
    if (!readAt(position, block.data(), n)) return kAceErrorRead;
    crc = aceCrc(crc, block.data(), n);
    for (size_t written = 0; written < n;) {
      const ssize_t put = write(fd, block.data() + written, n - written);
      if (put <= 0) return kAceErrorWrite;
      written += static_cast<size_t>(put);
    }
    position += n;
    left -= n;
  }
  return crc == member.crc ? kAceOk : kAceErrorCrc;
}

}  // namespace vellomar

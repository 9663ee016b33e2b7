#include "modules/unrar/RarHeaderWalk.h"

#include <algorithm>
#include <ctime>

#include "modules/unrar/RarNames.h"

namespace vellomar {

namespace {

constexpr uint32_t kReadOnlyAttribute = 0x01;
constexpr uint32_t kFolderAttribute = 0x10;
constexpr uint32_t kArchiveAttribute = 0x20;
constexpr uint32_t kUnixTypeMask = 0170000;
constexpr uint32_t kUnixFolder = 0040000;
constexpr uint32_t kUnixWritable = 0222;
constexpr int kDosFirstYear = 1980;
constexpr int kDosLastYear = 2107;

uint32_t attributesOfMode(uint32_t mode) {
  uint32_t attributes =
      (mode & kUnixTypeMask) == kUnixFolder ? kFolderAttribute : kArchiveAttribute;
  if ((mode & kUnixWritable) == 0) attributes |= kReadOnlyAttribute;
  return attributes;
}

// RAR 5 keeps times in UTC; the catalogue keeps local DOS times, as RAR 1.5 to 4 stored them.
uint32_t dosDateTime(int64_t unixTime) {
  const time_t time = static_cast<time_t>(unixTime);
  tm local{};
  if (!localtime_r(&time, &local)) return 0;
  const int year = local.tm_year + 1900;
  if (year < kDosFirstYear) return (1u << 5 | 1u) << 16;  // 1980-01-01 00:00
  if (year > kDosLastYear) return (127u << 9 | 12u << 5 | 31u) << 16 | (23u << 11 | 59u << 5 | 29u);
  const uint32_t date = static_cast<uint32_t>(year - kDosFirstYear) << 9 |
                        static_cast<uint32_t>(local.tm_mon + 1) << 5 |
                        static_cast<uint32_t>(local.tm_mday);
  const uint32_t dayTime = static_cast<uint32_t>(local.tm_hour) << 11 |
                           static_cast<uint32_t>(local.tm_min) << 5 |
                           static_cast<uint32_t>(local.tm_sec / 2);
  return date << 16 | dayTime;
}

RarMember memberOf(const RarBlock& block) {
  const RarFileFields& file = block.file;
  RarName name = rarFileName(file.name, block.flags & kRarUnicodeName);
  RarMember member{std::move(name.text), name.utf8,     block.isFolder(),
                   file.attributes,      file.dateTime, file.unpackedSize};
  if (file.hostSystem == kRarHostUnix || file.hostSystem == kRarHostBeOs) {
    member.attributes = attributesOfMode(file.attributes);
  }
  if (member.folder) member.attributes |= kFolderAttribute;
  return member;
}

RarMember memberOf(const Rar5Block& block) {
  const Rar5File& file = block.file;
  RarMember member;
  member.name.assign(reinterpret_cast<const char*>(file.name.data()), file.name.size());
  member.nameIsUtf8 = true;
  member.folder = file.fileFlags & kRar5Folder;
  const auto attributes = static_cast<uint32_t>(file.attributes);
  member.attributes = file.hostSystem == kRar5HostUnix ? attributesOfMode(attributes) : attributes;
  if (member.folder) member.attributes |= kFolderAttribute;
  if (file.modified) member.dateTime = dosDateTime(*file.modified);
  member.unpackedSize = file.fileFlags & kRar5SizeUnknown ? 0 : file.unpackedSize;
  return member;
}

}  // namespace

RarHeaderWalk::Open RarHeaderWalk::open(const ByteSource& read, uint64_t fileSize, bool checkCrcs) {
  checkCrcs_ = checkCrcs;
  const ByteReader start = read(0, kRar5Marker.size());
  if (isRarMarker(start)) {
    // The marker block, then the archive block.
    blocks_.emplace(read, fileSize, 0);
    RarBlock block;
    if (blocks_->next(block) != RarBlockWalk::Step::kBlock || block.type != kRarMarkerBlock ||
        blocks_->next(block) != RarBlockWalk::Step::kBlock || block.type != kRarArchiveBlock) {
      return Open::kNotRar;
    }
    return block.flags & kRarHeadsEncrypted ? Open::kHeadsEncrypted : Open::kOk;
  }
  ByteReader marker = start;
  if (marker.remaining() != kRar5Marker.size() ||
      !std::equal(kRar5Marker.begin(), kRar5Marker.end(),
                  marker.bytes(kRar5Marker.size()).begin())) {
    return Open::kNotRar;
  }
  blocks5_.emplace(read, fileSize, kRar5Marker.size());
  Rar5Block block;
  if (blocks5_->next(block) != Rar5BlockWalk::Step::kBlock || (checkCrcs_ && !block.crcMatches)) {
    return Open::kNotRar;
  }
  if (block.type == kRar5CryptBlock) return Open::kHeadsEncrypted;
  return block.type == kRar5MainBlock ? Open::kOk : Open::kNotRar;
}

RarHeaderWalk::Step RarHeaderWalk::next(RarMember& member) {
  if (blocks_) {
    RarBlock block;
    for (;;) {
      const RarBlockWalk::Step step = blocks_->next(block);
      if (step == RarBlockWalk::Step::kEnd) return Step::kEnd;
      if (step == RarBlockWalk::Step::kBroken) return Step::kBroken;
      if (block.type != kRarFileBlock) continue;
      // A damaged head is not given as a member, nor is anything after it trusted.
      if (checkCrcs_ && !block.crcMatches()) return Step::kBroken;
      member = memberOf(block);
      return Step::kMember;
    }
  }
  if (blocks5_) {
    Rar5Block block;
    for (;;) {
      const Rar5BlockWalk::Step step = blocks5_->next(block);
      if (step == Rar5BlockWalk::Step::kEnd) return Step::kEnd;
      if (step == Rar5BlockWalk::Step::kBroken) return Step::kBroken;
      if (block.type != kRar5FileBlock) continue;
      if (checkCrcs_ && !block.crcMatches) return Step::kBroken;
      member = memberOf(block);
      return Step::kMember;
    }
  }
  return Step::kBroken;
}

}  // namespace vellomar

#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "abi/UnaceAbi.h"

namespace vellomar {

// One member header of an ACE 1.0 or 2.0 archive.
struct AceMember {
  std::string name;  // as stored, folders separated by "\"
  uint16_t flags = 0;
  uint32_t packedSize = 0;
  uint32_t size = 0;
  uint32_t dateTime = 0;
  uint32_t attributes = 0;
  uint32_t crc = 0;
  uint8_t method = 0;
  uint64_t dataOffset = 0;  // where the packed data starts in the file
};

// Flags of member headers.
constexpr uint16_t kAceSplitBefore = 0x1000;
constexpr uint16_t kAceSplitAfter = 0x2000;
constexpr uint16_t kAceEncrypted = 0x4000;
constexpr uint8_t kAceStored = 0;

struct AceArchiveHeader {
  uint32_t version = 0;  // version needed to extract
  uint32_t flags = 0;
  uint32_t volume = 0;
};

// The ACE variant of CRC-32: the standard polynomial and start value, never complemented.
uint32_t aceCrc(uint32_t crc, const uint8_t* data, size_t size);
constexpr uint32_t kAceCrcStart = 0xFFFFFFFF;

// An open archive file, walked header by header. Every header is read whole (at most 64 KB),
// checked against its CRC and parsed with bounds; data is skipped by seeking, so a hostile
// length can only end the walk.
class AceArchiveFile {
 public:
  AceArchiveFile() = default;
  ~AceArchiveFile();
  AceArchiveFile(const AceArchiveFile&) = delete;
  AceArchiveFile& operator=(const AceArchiveFile&) = delete;

  // kAceOk, kAceErrorOpen or kAceErrorNotArchive.
  int32_t open(const char* path);
  const AceArchiveHeader& header() const { return header_; }

  // Calls visit for every member header in file order, split continuations included; visit
  // answers kAceOk to go on, or a result that ends the walk and is returned. A damaged or cut
  // header ends the walk with kAceErrorRead.
  int32_t walk(const std::function<int32_t(const AceMember&)>& visit);

  // Copies a stored member's data to fd and checks its CRC.
  int32_t copyStored(const AceMember& member, int fd);

 private:
  bool readAt(uint64_t position, void* out, size_t n) const;
  bool findMainHeader();

  int fd_ = -1;
  uint64_t fileSize_ = 0;
  uint64_t firstMember_ = 0;
  AceArchiveHeader header_;
};

}  // namespace vellomar

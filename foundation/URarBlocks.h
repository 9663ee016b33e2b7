#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "foundation/UByteReader.h"

namespace vellomar {

// The blocks of a RAR 1.5 to 4 archive, walked from the marker: every head read whole through a
// bounded reader, a file block's fields parsed, the data behind a block passed over by its size
// and never read. The engine's own walk and the RAR library both list through it.

constexpr std::string_view kRarMarker{"Rar!\x1A\x07\x00", 7};
constexpr size_t kRarBlockHeadSize = 7;  // uint16 CRC, byte type, uint16 flags, uint16 head size

enum RarBlockType : uint8_t {
  kRarMarkerBlock = 0x72,
  kRarArchiveBlock = 0x73,
  kRarFileBlock = 0x74,
  kRarEndBlock = 0x7B,
};

// Flags of every block.
constexpr uint16_t kRarLongBlock = 0x8000;  // a uint32 data size follows the head
// Flags of the archive block.
constexpr uint16_t kRarHeadsEncrypted = 0x0080;
// Flags of a file block.
constexpr uint16_t kRarFolderMask = 0x00E0;
constexpr uint16_t kRarLargeFile = 0x0100;    // high words of both sizes follow the attributes
constexpr uint16_t kRarUnicodeName = 0x0200;  // the name is "plain\0encoded", or UTF-8 alone

// Host systems of a file block whose attributes are Unix modes.
constexpr uint8_t kRarHostUnix = 3;
constexpr uint8_t kRarHostBeOs = 5;

// The fields of a file block after its 7-byte head.
struct RarFileFields {
  uint64_t packedSize = 0;
  uint64_t unpackedSize = 0;
  uint8_t hostSystem = 0;
  uint32_t fileCrc = 0;
  uint32_t dateTime = 0;  // DOS date-time, local time
  uint8_t version = 0;
  uint8_t method = 0;
  uint32_t attributes = 0;        // DOS attributes, or a Unix mode from Unix hosts
  std::span<const uint8_t> name;  // as stored
};

struct RarBlock {
  uint64_t position = 0;
  uint16_t crc = 0;
  uint8_t type = 0;
  uint16_t flags = 0;
  uint16_t headSize = 0;
  std::span<const uint8_t> head;  // the bytes of the head that the file holds
  uint64_t dataSize = 0;
  RarFileFields file;  // file blocks only

  bool isFolder() const {
    return type == kRarFileBlock && (flags & kRarFolderMask) == kRarFolderMask;
  }
  // Whether the whole head is there and the low half of the CRC-32 of all of it but the CRC
  // field is the stored CRC (every block but the marker carries one).
  bool crcMatches() const;
};

// The bytes at an offset of the archive file, at most n of them (fewer at its end), as a reader
// that stays valid until the next call.
using ByteSource = std::function<ByteReader(uint64_t offset, size_t n)>;

// Whether the bytes at the reader's position are the marker.
bool isRarMarker(ByteReader bytes);

class RarBlockWalk {
 public:
  enum class Step {
    kBlock,   // the next block was read
    kEnd,     // the end block, or the end of the file right after a block
    kBroken,  // an unknown block type, a head that does not hold its fields, or sizes past the file
  };

  // Walks from start, where the marker lies, through a file of fileSize bytes.
  RarBlockWalk(ByteSource read, uint64_t fileSize, uint64_t start);

  // The block and its fields stay valid until the next call. A block whose head or data runs
  // past the end of the file is still given; the walk ends broken after it.
  Step next(RarBlock& block);

 private:
  ByteSource read_;
  uint64_t fileSize_;
  uint64_t position_;
  bool broken_ = false;
};

}  // namespace vellomar

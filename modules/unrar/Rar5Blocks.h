#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "foundation/URarBlocks.h"

namespace vellomar {

// The headers of a RAR 5 archive, walked from behind its signature: each header read whole,
// its CRC-32 computed and its fields parsed through a bounded reader; data passed over by its
// size.

constexpr std::string_view kRar5Marker{"Rar!\x1A\x07\x01\x00", 8};

enum Rar5BlockType : uint64_t {
  kRar5MainBlock = 1,
  kRar5FileBlock = 2,
  kRar5ServiceBlock = 3,
  kRar5CryptBlock = 4,  // every header after it is encrypted
  kRar5EndBlock = 5,
};

// Flags of a file header.
constexpr uint64_t kRar5Folder = 0x0001;
constexpr uint64_t kRar5SizeUnknown = 0x0008;
// Host systems.
constexpr uint64_t kRar5HostUnix = 1;

struct Rar5File {
  uint64_t fileFlags = 0;
  uint64_t unpackedSize = 0;
  uint64_t attributes = 0;  // Windows attributes, or a Unix mode from Unix hosts
  uint64_t hostSystem = 0;
  std::optional<int64_t> modified;  // Unix time
  std::span<const uint8_t> name;    // UTF-8, folders separated by "/"
};

struct Rar5Block {
  uint64_t position = 0;
  uint64_t type = 0;
  uint64_t flags = 0;
  uint64_t dataSize = 0;
  bool crcMatches = false;  // the CRC-32 of the header is the stored one
  Rar5File file;            // file and service headers only
};

class Rar5BlockWalk {
 public:
  enum class Step { kBlock, kEnd, kBroken };

  // Walks from start, right behind the signature, through a file of fileSize bytes.
  Rar5BlockWalk(ByteSource read, uint64_t fileSize, uint64_t start);

  // kEnd at the end header or at the end of the file right after a block; kBroken at a header
  // that is cut or does not hold its fields. A block whose data runs past the
  // end of the file is still given; the walk ends broken after it.
  Step next(Rar5Block& block);

 private:
  ByteSource read_;
  uint64_t fileSize_;
  uint64_t position_;
  bool broken_ = false;
};

}  // namespace vellomar

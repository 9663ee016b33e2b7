#pragma once

// The whole layout of the catalogue file, of which this is a piece: engine/FORMAT.md.

#include "engine/UEngineInternal.h"

#include <cstddef>
#include <cstdint>

#include "foundation/UByteReader.h"

namespace vellomar {

inline constexpr size_t kBlockHeadSize = 9;

inline constexpr uint8_t kDiskBlockKind = 1;
inline constexpr uint8_t kFileListBlockKind = 2;
inline constexpr uint8_t kDescBlockKind = 12;

// Disk blocks and folder records were once checked with NOT of their count and now with its
// negation; both forms are read, only the current one is written.
enum class BlockForm { kCurrent, kOlder };

// Every block of the data area starts {int32 L (whole block, head included); int32 check;
// byte kind}.
struct TBlockHead {
  int32_t Length = 0;
  int32_t Check = 0;
  uint8_t Kind = 0;
};

TBlockHead readBlockHead(ByteReader& r);
void writeBlockHead(ByteWriter& w, const TBlockHead& head);

// The check of the current disk-block form; L is never negative, so this cannot overflow.
inline int32_t negatedCheck(int32_t length) {
  return -length;
}
inline int32_t complementCheck(int32_t length) {
  return ~length;
}

// Raises damage `code` unless the head has the kind and a length from minimum up to the bytes
// the file holds from the block's start. The check value is the caller's to test.
void requireBlockHead(const TBlockHead& head, uint8_t kind, uint32_t minimum, uint64_t bytesLeft,
                      int code);
// Raises damage `code` when the reader ran out.
void requireRead(const ByteReader& r, int code);

}  // namespace vellomar

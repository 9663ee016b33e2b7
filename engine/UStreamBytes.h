#pragma once

#include "engine/UEngineInternal.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vellomar {

class TKFileStream;

// The n bytes at the stream's position, in one read: blocks are parsed in memory, never field
// by field from the file.
std::vector<uint8_t> readStreamBytes(TKFileStream& stream, size_t n);
// The bytes the file holds from offset on; 0 at or past its end.
uint64_t bytesLeftAt(const TKFileStream& stream, uint64_t offset);
// The same for a block at offset: none for an offset before the data area.
uint64_t blockBytesLeftAt(const TKFileStream& stream, uint32_t offset);
// Seeks to the block at offset and reads up to n bytes of its start: fewer where the file ends,
// so that the block's own checks find a short head instead of the stream raising. left gets the
// bytes the file holds from offset on, none for an offset before the data area.
std::vector<uint8_t> readBlockStart(TKFileStream& stream, uint32_t offset, size_t n,
                                    uint64_t& left);
// As above, read into room (n is its size); answers the bytes read, at its start.
std::span<const uint8_t> readBlockStart(TKFileStream& stream, uint32_t offset,
                                        std::span<uint8_t> room, uint64_t& left);
// Writes the bytes at the stream's position in one write.
void writeStreamBytes(TKFileStream& stream, std::span<const uint8_t> bytes);

}  // namespace vellomar

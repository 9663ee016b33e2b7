#pragma once

// The whole layout of the catalogue file, of which this is a piece: engine/FORMAT.md.

#include "engine/UEngineInternal.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/UBlockHead.h"
#include "foundation/UByteReader.h"

namespace vellomar {

// {head; 6 zero bytes; the text, no terminator}.
inline constexpr size_t kDescBlockFixedSize = kBlockHeadSize + 6;

// Checks the head (kind 12, check NOT L, L from 15 up to the bytes left in the file) and skips
// the 6 zero bytes; else damage `code` (010, 011 or 012 by the reader). Returns the text length.
uint32_t readDescBlockHead(ByteReader& r, uint64_t bytesLeft, int code);

uint64_t descBlockLength(size_t textLength);
// The head and the 6 zero bytes of a block whose text follows; the caller has made sure its
// length fits the file (ensureAppendFits).
void writeDescBlockHead(ByteWriter& w, size_t textLength);
// The whole block, under the same condition.
void writeDescBlock(ByteWriter& w, std::string_view text);

}  // namespace vellomar

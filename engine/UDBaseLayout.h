#pragma once

// The whole layout of the catalogue file, of which this is a piece: engine/FORMAT.md.

#include "engine/UEngineInternal.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/UDBaseHeader.h"
#include "engine/UKeyField.h"
#include "engine/UScrambler.h"
#include "engine/api/ULocalOptions.h"

namespace vellomar {

inline constexpr size_t kLocalOptionsOffset = kHeaderSize;
inline constexpr size_t kKeyFieldOffset = kLocalOptionsOffset + kLocalOptionsSize;
// The data area starts here even when the key table is written short.
inline constexpr size_t kDataAreaOffset = kKeyFieldOffset + kKeyFieldSize;
static_assert(kKeyFieldOffset == 4937 && kDataAreaOffset == 64961);

// Offsets are stored as int32, so no file may grow past this size.
inline constexpr uint64_t kMaxDBaseFileSize = 0x7FFFFFFF;

// The whole of a new database without disks: header, options and an empty full key table.
std::vector<uint8_t> newDBaseFileBytes(const THeaderRecord& record, const TLocalOptions& options,
                                       Scrambler& scrambler);

// Raises "Database is full. Make compression." when a block of `length` bytes appended at
// endOfFile would pass the largest offset a block can have.
void ensureAppendFits(uint64_t endOfFile, uint64_t length);

}  // namespace vellomar

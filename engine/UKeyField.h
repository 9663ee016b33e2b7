#pragma once

// The whole layout of the catalogue file, of which this is a piece: engine/FORMAT.md.

#include "engine/UEngineInternal.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/api/UApiTypes.h"
#include "foundation/UByteReader.h"

namespace vellomar {

inline constexpr int32_t kKeyCapacity = 10000;
inline constexpr size_t kKeyFieldHeadSize = 24;
inline constexpr size_t kKeyEntrySize = 6;
inline constexpr size_t kKeyFieldSize = kKeyFieldHeadSize + kKeyEntrySize * kKeyCapacity;
static_assert(kKeyFieldSize == 60024);

struct TKeyEntry {
  uint16_t Flags = 0;
  int32_t Offset = 0;  // file offset of the disk block

  friend bool operator==(const TKeyEntry&, const TKeyEntry&) = default;
};

// The key table: live disks first, then deleted ones. The capacity is always 10000 and the
// number of keys is the size of Keys.
struct TKeyField {
  int32_t CurrentIndex = 0;
  int32_t LiveCount = 0;
  int32_t DeletionNumber = 0;
  std::vector<TKeyEntry> Keys;

  int32_t count() const { return static_cast<int32_t>(Keys.size()); }
};

// The 24-byte head, clamped so that a damaged file cannot make the table overrun: capacity
// 10000, count 0..10000, live count 0..count, current index inside the table. Keys gets the
// head's number of entries, all zero.
TKeyField readKeyFieldHead(ByteReader& r);
// Fills the entries; fewer bytes than they need leave the reader failed and the keys zero.
void readKeyEntries(ByteReader& r, TKeyField& keys);

// The head and the used entries, or, whole, all 10000 entry places (unused ones zero).
void writeKeyField(ByteWriter& w, const TKeyField& keys, bool whole);

}  // namespace vellomar

#include "engine/UKeyField.h"

#include <algorithm>

namespace vellomar {

TKeyField readKeyFieldHead(ByteReader& r) {
  TKeyField keys;
  r.i32();  // capacity: always 10000, whatever is stored
  const int32_t current = r.i32();
  const int32_t count = std::clamp(r.i32(), 0, kKeyCapacity);
  keys.LiveCount = std::clamp(r.i32(), 0, count);
  keys.CurrentIndex = std::clamp(current, 0, std::max(count - 1, 0));
  keys.DeletionNumber = r.i32();
  r.i32();
  if (r.ok()) keys.Keys.resize(count);
  return keys;
}

void readKeyEntries(ByteReader& r, TKeyField& keys) {
  if (!r.has(kKeyEntrySize * keys.Keys.size())) {
    r.fail();
    return;
  }
  for (TKeyEntry& key : keys.Keys) {
    key.Flags = r.u16();
    key.Offset = r.i32();
  }
}

void writeKeyField(ByteWriter& w, const TKeyField& keys, bool whole) {
  const size_t count = std::min<size_t>(keys.Keys.size(), kKeyCapacity);
  w.reserve(w.size() + (whole ? kKeyFieldSize : kKeyFieldHeadSize + kKeyEntrySize * count));
  w.i32(kKeyCapacity);
  w.i32(keys.CurrentIndex);
  w.i32(static_cast<int32_t>(count));
  w.i32(keys.LiveCount);
  w.i32(keys.DeletionNumber);
  w.i32(0);
  for (size_t i = 0; i < count; ++i) {
    w.u16(keys.Keys[i].Flags);
    w.i32(keys.Keys[i].Offset);
  }
  if (whole) w.zeros(kKeyEntrySize * (kKeyCapacity - count));
}

}  // namespace vellomar

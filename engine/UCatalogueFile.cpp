#include "engine/UCatalogueFile.h"

#include "engine/UDBaseLayout.h"
#include "engine/UDamageCodes.h"
#include "engine/UKeyField.h"
#include "engine/UStreamBytes.h"
#include "foundation/UByteReader.h"
#include "foundation/UExceptions.h"

namespace vellomar {

void StreamDataArea::readAt(uint64_t offset, std::span<uint8_t> out) {
  if (offset > UINT32_MAX) throw EKstvDBaseStructException(kDamageSeekPastEnd);
  stream_->Seek(static_cast<uint32_t>(offset));
  stream_->ReadExact(out.data(), out.size());
}

void WriteKeyTable(TCatalogueFile& file) {
  TKeyField stored = file.keyTable().keys();
  for (TKeyEntry& key : stored.Keys) key.Flags &= static_cast<uint16_t>(~kKeySelected);
  ByteWriter w;
  writeKeyField(w, stored, false);
  file.Stream.Seek(static_cast<uint32_t>(kKeyFieldOffset));
  writeStreamBytes(file.Stream, w.bytes());
  file.Stream.Flush();
  file.keyTable().setKeysModified(false);
}

}  // namespace vellomar

#include "engine/UDBaseLayout.h"

#include "foundation/UExceptions.h"

namespace vellomar {

std::vector<uint8_t> newDBaseFileBytes(const THeaderRecord& record, const TLocalOptions& options,
                                       Scrambler& scrambler) {
  ByteWriter w;
  w.reserve(kDataAreaOffset);
  w.bytes(buildDBaseHeader(record, scrambler));
  writeLocalOptions(w, options);
  writeKeyField(w, TKeyField{}, true);
  return w.take();
}

void ensureAppendFits(uint64_t endOfFile, uint64_t length) {
  if (endOfFile > kMaxDBaseFileSize || length > kMaxDBaseFileSize - endOfFile) {
    throw EKstvNormalException("Database is full. Make compression.");
  }
}

}  // namespace vellomar

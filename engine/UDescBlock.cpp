#include "engine/UDescBlock.h"

#include "foundation/UExceptions.h"

namespace vellomar {

uint32_t readDescBlockHead(ByteReader& r, uint64_t bytesLeft, int code) {
  const TBlockHead head = readBlockHead(r);
  r.skip(6);
  requireRead(r, code);
  requireBlockHead(head, kDescBlockKind, kDescBlockFixedSize, bytesLeft, code);
  if (head.Check != complementCheck(head.Length)) throw EKstvDBaseStructException(code);
  return static_cast<uint32_t>(head.Length - kDescBlockFixedSize);
}

uint64_t descBlockLength(size_t textLength) {
  return kDescBlockFixedSize + uint64_t{textLength};
}

void writeDescBlockHead(ByteWriter& w, size_t textLength) {
  const auto length = static_cast<int32_t>(descBlockLength(textLength));
  writeBlockHead(w, {length, complementCheck(length), kDescBlockKind});
  w.zeros(kDescBlockFixedSize - kBlockHeadSize);
}

void writeDescBlock(ByteWriter& w, std::string_view text) {
  writeDescBlockHead(w, text.size());
  w.bytes(text.data(), text.size());
}

}  // namespace vellomar

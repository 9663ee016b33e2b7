#include "engine/UBlockHead.h"

#include "foundation/UExceptions.h"

namespace vellomar {

TBlockHead readBlockHead(ByteReader& r) {
  TBlockHead head;
  head.Length = r.i32();
  head.Check = r.i32();
  head.Kind = r.u8();
  return head;
}

void writeBlockHead(ByteWriter& w, const TBlockHead& head) {
  w.i32(head.Length);
  w.i32(head.Check);
  w.u8(head.Kind);
}

void requireBlockHead(const TBlockHead& head, uint8_t kind, uint32_t minimum, uint64_t bytesLeft,
                      int code) {
  if (head.Kind != kind || head.Length < 0 || static_cast<uint32_t>(head.Length) < minimum ||
      static_cast<uint64_t>(head.Length) > bytesLeft) {
    throw EKstvDBaseStructException(code);
  }
}

void requireRead(const ByteReader& r, int code) {
  if (!r.ok()) throw EKstvDBaseStructException(code);
}

}  // namespace vellomar

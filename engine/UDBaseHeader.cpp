#include "engine/UDBaseHeader.h"

#include <algorithm>

#include "foundation/UByteReader.h"

namespace vellomar {

namespace {

std::span<uint8_t> recordAt(std::vector<uint8_t>& header, size_t offset) {
  return std::span<uint8_t>(header).subspan(offset, kHeaderRecordSize);
}

}  // namespace

bool isReadOnlyExport(const THeaderRecord& record) {
  ByteReader r(record.data(), record.size());
  r.seek(kHeaderReadOnlyFlagOffset);
  return r.i32() != 0;
}

void setReadOnlyExport(THeaderRecord& record, bool readOnly) {
  ByteWriter w;
  w.i32(readOnly ? 1 : 0);
  std::copy(w.bytes().begin(), w.bytes().end(), record.begin() + kHeaderReadOnlyFlagOffset);
}

std::vector<uint8_t> buildDBaseHeader(const THeaderRecord& record, Scrambler& scrambler) {
  ByteWriter w;
  w.reserve(kHeaderSize);
  w.bytes(kDBaseMagic.data(), kDBaseMagic.size());
  w.i32(kDBaseVersion);
  w.i32(kDBaseVersion);
  w.i32(0);
  w.bytes(record);
  w.zeros(kHeaderPaddingSize);
  w.bytes(record);
  std::vector<uint8_t> header = w.take();
  ScrambleBytes(recordAt(header, kHeaderCopyAOffset), scrambler);
  ScrambleBytes(recordAt(header, kHeaderCopyBOffset), scrambler);
  ScrambleBytes(std::span<uint8_t>(header).subspan(kHeaderPaddingOffset, kHeaderPaddingSize),
                scrambler);
  return header;
}

THeaderReadResult readDBaseHeader(std::span<const uint8_t> bytes, Scrambler& scrambler) {
  THeaderReadResult result;
  if (bytes.size() < kHeaderSize) return result;
  ByteReader r(bytes);
  const std::span<const uint8_t> magic = r.bytes(kDBaseMagic.size());
  if (!std::equal(magic.begin(), magic.end(), kDBaseMagic.begin(), kDBaseMagic.end())) {
    result.Status = HeaderStatus::kNotDatabase;
    return result;
  }
  r.seek(kHeaderNeededVersionOffset);
  if (r.u32() >= kFirstUnreadableVersion) {
    result.Status = HeaderStatus::kNewerVersion;
    return result;
  }
  THeaderRecord copyA;
  THeaderRecord copyB;
  std::copy_n(bytes.begin() + kHeaderCopyAOffset, kHeaderRecordSize, copyA.begin());
  std::copy_n(bytes.begin() + kHeaderCopyBOffset, kHeaderRecordSize, copyB.begin());
  UnscrambleBytes(copyA, scrambler);
  UnscrambleBytes(copyB, scrambler);
  if (!std::equal(copyA.begin() + 1, copyA.end(), copyB.begin() + 1)) {
    result.Status = HeaderStatus::kCorrupted;
    return result;
  }
  result.Record = copyA;
  result.Status = isReadOnlyExport(copyA) ? HeaderStatus::kReadOnlyExport : HeaderStatus::kSound;
  return result;
}

}  // namespace vellomar

#include "modules/uni/WordDocument.h"

#include <algorithm>

#include "foundation/UByteReader.h"

namespace vellomar {

namespace {

constexpr uint16_t kWord97Ident = 0xA5EC;
constexpr uint16_t kWord6Ident = 0xA5DC;
constexpr uint16_t kWord2Ident = 0xA59B;
constexpr uint16_t kWord1Ident = 0xA59C;
constexpr uint16_t kWriteIdent = 0xBE31;
constexpr uint16_t kWriteOleIdent = 0xBE32;
constexpr uint16_t kWriteTool = 0xAB00;
constexpr uint16_t kFirstWord97Version = 0xC1;
constexpr uint16_t kEncrypted = 0x0100;
constexpr uint16_t kTableStreamOne = 0x0200;
constexpr size_t kFlagsOffset = 0x0A;
constexpr size_t kFcMinOffset = 0x18;
constexpr size_t kWord6TextLengthOffset = 0x34;
constexpr size_t kWord97CountsOffset = 0x20;
constexpr size_t kTextLengthIndex = 3;  // ccpText among the FIB's 32-bit values
constexpr size_t kClxPairIndex = 33;    // fcClx/lcbClx among the FIB's offset-length pairs
constexpr size_t kWriteTextStart = 128;
constexpr size_t kWriteTextEndOffset = 0x0E;
constexpr uint32_t kCompressedPiece = 0x40000000;
constexpr uint32_t kPieceOffsetMask = 0x3FFFFFFF;
constexpr size_t kPieceDescriptorSize = 8;
constexpr size_t kFibBytes = 4096;
constexpr size_t kMaxClxBytes = 4 << 20;
constexpr uint8_t kClxProperties = 1;
constexpr uint8_t kClxPieceTable = 2;

uint16_t ident(std::span<const uint8_t> header) {
  return header.size() >= 2 ? static_cast<uint16_t>(header[0] | header[1] << 8) : 0;
}

// The piece table inside the CLX: its character positions and piece descriptors.
std::optional<std::vector<TextPiece>> pieceTable(std::span<const uint8_t> clx,
                                                 uint32_t textLength) {
  ByteReader in(clx);
  while (in.has(1)) {
    const uint8_t kind = in.u8();
    if (kind == kClxProperties) {
      in.skip(in.u16());
      continue;
    }
    if (kind != kClxPieceTable) return std::nullopt;
    const uint32_t size = in.u32();
    if (!in.has(size) || size < 4) return std::nullopt;
    const size_t count = (size - 4) / (4 + kPieceDescriptorSize);
    ByteReader positions(in.bytes(size));
    ByteReader descriptors(positions.bytes(positions.size()).subspan((count + 1) * 4));
    positions.seek(0);
    std::vector<TextPiece> pieces;
    uint32_t start = positions.u32();
    for (size_t i = 0; i < count && start < textLength; ++i) {
      const uint32_t end = std::min(positions.u32(), textLength);
      descriptors.skip(2);
      const uint32_t fc = descriptors.u32();
      descriptors.skip(2);
      if (!positions.ok() || !descriptors.ok()) return std::nullopt;
      if (end > start) {
        const uint64_t characters = end - start;
        if (fc & kCompressedPiece) {
          pieces.push_back({(fc & kPieceOffsetMask) / 2, characters, false});
        } else {
          pieces.push_back({fc & kPieceOffsetMask, characters * 2, true});
        }
      }
      start = std::max(start, end);
    }
    return pieces;
  }
  return std::nullopt;
}

}  // namespace

bool isWord97(std::span<const uint8_t> header) {
  return ident(header) == kWord97Ident && header.size() >= 4 &&
         static_cast<uint16_t>(header[2] | header[3] << 8) >= kFirstWord97Version;
}

std::optional<std::vector<TextPiece>> word97Text(const CompoundStream& document,
                                                 const CompoundFile& container) {
  const std::vector<uint8_t> fibBytes = document.read(0, kFibBytes);
  if (!isWord97(fibBytes)) return std::nullopt;
  ByteReader fib(fibBytes);
  fib.seek(kFlagsOffset);
  const uint16_t flags = fib.u16();
  if (flags & kEncrypted) return std::nullopt;
  fib.seek(kWord97CountsOffset);
  fib.skip(size_t{fib.u16()} * 2);
  const uint16_t longCount = fib.u16();
  const size_t longs = fib.position();
  if (longCount <= kTextLengthIndex) return std::nullopt;
  fib.seek(longs + kTextLengthIndex * 4);
  const uint32_t textLength = fib.u32();
  fib.seek(longs + size_t{longCount} * 4);
  const uint16_t pairCount = fib.u16();
  if (pairCount <= kClxPairIndex) return std::nullopt;
  fib.skip(kClxPairIndex * 8);
  const uint32_t clxOffset = fib.u32();
  const uint32_t clxSize = fib.u32();
  if (!fib.ok() || clxSize == 0 || clxSize > kMaxClxBytes) return std::nullopt;

  const std::optional<CompoundStream> table =
      container.stream(flags & kTableStreamOne ? "1Table" : "0Table");
  if (!table) return std::nullopt;
  const std::vector<uint8_t> clx = table->read(clxOffset, clxSize);
  if (clx.size() < clxSize) return std::nullopt;
  return pieceTable(clx, textLength);
}

std::optional<TextPiece> textRunAfterHeader(std::span<const uint8_t> header, uint64_t fileSize) {
  ByteReader in(header);
  const uint16_t id = in.u16();
  uint64_t start, end;
  if (id == kWriteIdent || id == kWriteOleIdent) {
    in.seek(4);
    if (in.u16() != kWriteTool) return std::nullopt;
    in.seek(kWriteTextEndOffset);
    start = kWriteTextStart;
    end = in.u32();
  } else if (id == kWord6Ident || id == kWord2Ident || id == kWord1Ident) {
    in.seek(kFlagsOffset);
    if (in.u16() & kEncrypted) return std::nullopt;
    in.seek(kFcMinOffset);
    start = in.u32();
    end = in.u32();
    if (id == kWord6Ident) {
      // The run also holds footnotes and headers; the main text comes first.
      in.seek(kWord6TextLengthOffset);
      const uint32_t textLength = in.u32();
      if (in.ok() && textLength > 0 && end > start && textLength < end - start) {
        end = start + textLength;
      }
    }
  } else {
    return std::nullopt;
  }
  if (!in.ok()) return std::nullopt;
  end = std::min(end, fileSize);
  if (end <= start) return std::nullopt;
  return TextPiece{start, end - start, false};
}

}  // namespace vellomar

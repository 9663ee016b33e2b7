#include "engine/UStreamBytes.h"

#include <algorithm>

#include "engine/UDBaseLayout.h"
#include "foundation/UStream.h"

namespace vellomar {

std::vector<uint8_t> readStreamBytes(TKFileStream& stream, size_t n) {
  std::vector<uint8_t> bytes(n);
  if (n > 0) stream.ReadExact(bytes.data(), n);
  return bytes;
}

uint64_t bytesLeftAt(const TKFileStream& stream, uint64_t offset) {
  const uint64_t size = stream.GetSize();
  return offset < size ? size - offset : 0;
}

uint64_t blockBytesLeftAt(const TKFileStream& stream, uint32_t offset) {
  // No block lies before the data area: an offset there holds nothing the block checks accept.
  return offset < kDataAreaOffset ? 0 : bytesLeftAt(stream, offset);
}

std::vector<uint8_t> readBlockStart(TKFileStream& stream, uint32_t offset, size_t n,
                                    uint64_t& left) {
  std::vector<uint8_t> bytes(n);
  bytes.resize(readBlockStart(stream, offset, std::span<uint8_t>(bytes), left).size());
  return bytes;
}

std::span<const uint8_t> readBlockStart(TKFileStream& stream, uint32_t offset,
                                        std::span<uint8_t> room, uint64_t& left) {
  stream.Seek(offset);
  left = blockBytesLeftAt(stream, offset);
  const auto n = static_cast<size_t>(std::min<uint64_t>(room.size(), left));
  if (n > 0) stream.ReadExact(room.data(), n);
  return room.first(n);
}

void writeStreamBytes(TKFileStream& stream, std::span<const uint8_t> bytes) {
  if (!bytes.empty()) stream.Write(bytes.data(), bytes.size());
}

}  // namespace vellomar

#include "bench/ZipWriter.h"

#include "foundation/UCrc32.h"

namespace vellomar {
namespace {

constexpr uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint16_t kVersionStored = 10;

void put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, static_cast<uint16_t>(v));
  put16(out, static_cast<uint16_t>(v >> 16));
}
void putText(std::vector<uint8_t>& out, const std::string& s) {
  out.insert(out.end(), s.begin(), s.end());
}

// Version, flags, method, time, date, CRC, sizes, name length: shared by both header kinds.
void putCommonFields(std::vector<uint8_t>& out, const ZipMemberSpec& m, uint32_t crc) {
  put16(out, 0);  // flags
  put16(out, 0);  // stored
  put16(out, static_cast<uint16_t>(m.dosDateTime));
  put16(out, static_cast<uint16_t>(m.dosDateTime >> 16));
  put32(out, crc);
  put32(out, m.size);
  put32(out, m.size);
  put16(out, static_cast<uint16_t>(m.name.size()));
  put16(out, 0);  // extra length
}

}  // namespace

std::vector<uint8_t> buildStoredZip(const std::vector<ZipMemberSpec>& members) {
  std::vector<uint8_t> out;
  std::vector<uint8_t> central;
  for (const ZipMemberSpec& m : members) {
    std::vector<uint8_t> data(m.size);
    for (uint32_t i = 0; i < m.size; ++i) data[i] = static_cast<uint8_t>(m.name[i % m.name.size()]);
    const uint32_t crc = crc32Of(data);
    const auto offset = static_cast<uint32_t>(out.size());
    put32(out, kLocalHeaderSignature);
    put16(out, kVersionStored);
    putCommonFields(out, m, crc);
    putText(out, m.name);
    out.insert(out.end(), data.begin(), data.end());

    put32(central, kCentralHeaderSignature);
    put16(central, kVersionStored);  // made by
    put16(central, kVersionStored);  // needed
    putCommonFields(central, m, crc);
    put16(central, 0);  // comment length
    put16(central, 0);  // disk number
    put16(central, 0);  // internal attributes
    put32(central, 0);  // external attributes
    put32(central, offset);
    putText(central, m.name);
  }
  const auto centralOffset = static_cast<uint32_t>(out.size());
  out.insert(out.end(), central.begin(), central.end());
  put32(out, kEndSignature);
  put16(out, 0);
  put16(out, 0);
  put16(out, static_cast<uint16_t>(members.size()));
  put16(out, static_cast<uint16_t>(members.size()));
  put32(out, static_cast<uint32_t>(central.size()));
  put32(out, centralOffset);
  put16(out, 0);  // comment length
  return out;
}

}  // namespace vellomar

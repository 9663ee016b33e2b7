// The installer's decoders of the old ZIP methods over one entry's data. Byte 0 picks the
// method (shrink, reduce 1..4, implode with the flags in byte 1), bytes 1..3 give the entry's
// size (at most 16 KiB, since each byte of it is written whatever the data), the rest is the
// compressed data.
#include <cstddef>
#include <cstdint>
#include <span>

#include "foundation/UExceptions.h"
#include "fuzz/MemoryEntry.h"

namespace vellomar::fuzz {
namespace {

constexpr size_t kControlBytes = 4;
constexpr uint32_t kMaxEntrySize = 1 << 14;

}  // namespace
}  // namespace vellomar::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vellomar;
  if (size < fuzz::kControlBytes) return 0;
  fuzz::MemoryEntry entry(
      std::span<const uint8_t>(data + fuzz::kControlBytes, size - fuzz::kControlBytes));
  entry.beginEntry((data[1] | data[2] << 8 | data[3] << 16) % (fuzz::kMaxEntrySize + 1));
  // Selectors 0..5: shrunk, reduced with factor 1..4, imploded.
  const auto method = static_cast<uint16_t>(data[0] % 6 + 1);
  try {
    fuzz::decodeEntry(entry, method, data[1]);
  } catch (const EKstvException&) {
  }
  return 0;
}

// The installer's decoders of the old ZIP methods over one entry's data. Byte 0 picks the
// method (shrink, reduce 1..4, implode with the flags in byte 1), bytes 1..3 give the entry's
// size (at most 16 KiB, since each byte of it is written whatever the data), the rest is the
// compressed data.
#include <cstddef>
#include <cstdint>
#include <span>

#include "foundation/UExceptions.h"
#include "setup/Explode.h"
#include "setup/Unreduce.h"
#include "setup/Unshrink.h"
#include "setup/ZipEntryStream.h"

namespace vellomar::fuzz {
namespace {

constexpr size_t kControlBytes = 4;
constexpr uint32_t kMaxEntrySize = 1 << 14;

class MemoryEntry : public setup::ZipEntryStream {
 public:
  explicit MemoryEntry(std::span<const uint8_t> data) : data_(data) {}
  int ReadByte() override { return next_ < data_.size() ? data_[next_++] : -1; }

 protected:
  // An entry's size bounds every decoder's output.
  void storeByte(uint8_t) override {
    if (written() > uncompressedSize()) __builtin_trap();
  }

 private:
  std::span<const uint8_t> data_;
  size_t next_ = 0;
};

}  // namespace
}  // namespace vellomar::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vellomar;
  if (size < fuzz::kControlBytes) return 0;
  fuzz::MemoryEntry entry(
      std::span<const uint8_t>(data + fuzz::kControlBytes, size - fuzz::kControlBytes));
  entry.beginEntry((data[1] | data[2] << 8 | data[3] << 16) % (fuzz::kMaxEntrySize + 1));
  try {
    switch (data[0] % 6) {
      case 0:
        setup::Unshrink(entry);
        break;
      case 5:
        setup::Explode(entry, data[1]);
        break;
      default:
        setup::Unreduce(entry, data[0] % 6);
    }
  } catch (const EKstvException&) {
  }
  return 0;
}

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "setup/Explode.h"
#include "setup/Unreduce.h"
#include "setup/Unshrink.h"
#include "setup/ZipEntryStream.h"

namespace vellomar::fuzz {

// One ZIP entry's compressed data in memory, as the installer's decoders read it; keeps what
// they write.
class MemoryEntry : public setup::ZipEntryStream {
 public:
  explicit MemoryEntry(std::span<const uint8_t> data) : data_(data) {}

  int ReadByte() override {
    if (next_ < data_.size()) return data_[next_++];
    if (!writtenWithinData_) writtenWithinData_ = written();
    return -1;
  }

  const std::vector<uint8_t>& output() const { return output_; }
  // What was written before a decoder first asked past the data: all of it decoded from the
  // data. Everything written, when it never asked.
  uint32_t writtenWithinData() const { return writtenWithinData_.value_or(written()); }

 protected:
  // An entry's size bounds every decoder's output.
  void storeByte(uint8_t byte) override {
    if (written() > uncompressedSize()) __builtin_trap();
    output_.push_back(byte);
  }

 private:
  std::span<const uint8_t> data_;
  size_t next_ = 0;
  std::optional<uint32_t> writtenWithinData_;
  std::vector<uint8_t> output_;
};

// Decodes the entry with its ZIP method (1 shrunk, 2..5 reduced, 6 imploded with its general
// flags); false for any other method.
inline bool decodeEntry(MemoryEntry& entry, uint16_t method, uint16_t flags) {
  if (method == 1) {
    setup::Unshrink(entry);
  } else if (method >= 2 && method <= 5) {
    setup::Unreduce(entry, method - 1);
  } else if (method == 6) {
    setup::Explode(entry, flags);
  } else {
    return false;
  }
  return true;
}

}  // namespace vellomar::fuzz

#include "setup/ZipEntryStream.h"

#include "foundation/UExceptions.h"

namespace vellomar::setup {

void ZipEntryStream::beginEntry(uint32_t uncompressedSize) {
  bitBuffer_ = 0;
  bitCount_ = 0;
  readsPastData_ = 0;
  uncompressedSize_ = uncompressedSize;
  written_ = 0;
}

int ZipEntryStream::ReadBits(int n) {
  while (bitCount_ < n) {
    const int byte = ReadByte();
    if (byte < 0) return -1;
    bitBuffer_ |= static_cast<uint32_t>(byte) << bitCount_;
    bitCount_ += 8;
  }
  const int value = static_cast<int>(bitBuffer_ & ((1u << n) - 1));
  bitBuffer_ >>= n;
  bitCount_ -= n;
  return value;
}

unsigned ZipEntryStream::ReadBitsOrOnes(int n) {
  constexpr int kReadsPastDataAllowed = 8;
  const int bits = ReadBits(n);
  if (bits >= 0) return static_cast<unsigned>(bits);
  if (++readsPastData_ > kReadsPastDataAllowed) RaiseArchiveError(kArchiveBadCrc);
  return (1u << n) - 1;
}

SlidingWindow::SlidingWindow(ZipEntryStream& stream, uint32_t size)
    : stream_(stream), bytes_(size, 0), mask_(size - 1) {}

void SlidingWindow::put(uint8_t byte) {
  bytes_[stream_.written() & mask_] = byte;
  stream_.OutputByte(byte);
}

void SlidingWindow::copy(uint32_t distance, uint32_t length) {
  for (uint32_t i = 0; i < length && !stream_.outputComplete(); ++i) {
    put(bytes_[(stream_.written() - distance) & mask_]);
  }
}

std::string ArchiveErrorText(int code) {
  return "Error in archive #" + std::to_string(code);
}

void RaiseArchiveError(int code) {
  throw EKstvFatalException(ArchiveErrorText(code));
}

void RaiseNoMemory() {
  throw EKstvFatalException("Not enough memory for decompression.");
}

}  // namespace vellomar::setup

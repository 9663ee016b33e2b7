#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vellomar::setup {

// The compressed input and decoded output of one ZIP entry, as the decoders see them.
class ZipEntryStream {
 public:
  virtual ~ZipEntryStream() = default;

  // Starts an entry: no bits held, nothing written.
  void beginEntry(uint32_t uncompressedSize);
  uint32_t uncompressedSize() const { return uncompressedSize_; }
  uint32_t written() const { return written_; }
  bool outputComplete() const { return written_ >= uncompressedSize_; }

  // The next compressed byte, or -1 when the entry's data is used up.
  virtual int ReadByte() = 0;
  // The next n (1..16) bits, least significant first, or -1 when the data runs out first.
  int ReadBits(int n);
  // As ReadBits, but data that ran out reads as one bits, so a decoder bounded by the output
  // size always moves on. Beyond the padding of a sound entry's last byte it raises "Error in
  // archive #8": garbage must not decode ones up to the size its header claims.
  unsigned ReadBitsOrOnes(int n);
  void OutputByte(uint8_t byte) {
    ++written_;
    storeByte(byte);
  }

 protected:
  virtual void storeByte(uint8_t byte) = 0;

 private:
  uint32_t bitBuffer_ = 0;
  int bitCount_ = 0;
  int readsPastData_ = 0;
  uint32_t uncompressedSize_ = 0;
  uint32_t written_ = 0;
};

// The decoders' history of written bytes; it starts as zeros, so a copy reaching back before the
// start of the output gives zeros.
class SlidingWindow {
 public:
  // size is a power of two.
  SlidingWindow(ZipEntryStream& stream, uint32_t size);
  void put(uint8_t byte);
  // Copies length bytes from distance bytes back, never past the entry's size.
  void copy(uint32_t distance, uint32_t length);

 private:
  ZipEntryStream& stream_;
  std::vector<uint8_t> bytes_;
  uint32_t mask_;
};

// Places in the data file where damage is found, shown as "Error in archive #<code>".
constexpr int kArchiveBadSignature = 1;
constexpr int kArchiveBadNameLength = 2;
constexpr int kArchiveBadShrinkCode = 3;
constexpr int kArchiveBadTree = 5;
constexpr int kArchiveEmptyTreeNode = 6;
constexpr int kArchiveUnknownMethod = 7;
constexpr int kArchiveBadCrc = 8;
constexpr int kArchiveBadFollowerSet = 9;

std::string ArchiveErrorText(int code);
[[noreturn]] void RaiseArchiveError(int code);
[[noreturn]] void RaiseNoMemory();

}  // namespace vellomar::setup

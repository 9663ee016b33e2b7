#pragma once

#include "engine/UEngineInternal.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vellomar {

class TKFileStream;

// A stretch of the file read in one read into a buffer kept from fill to fill, for a walk that
// reads many small blocks lying one after another: each block inside it is read in place.
class FileWindow {
 public:
  explicit FileWindow(TKFileStream& stream) : stream_(stream) {}
  FileWindow(const FileWindow&) = delete;
  FileWindow& operator=(const FileWindow&) = delete;

  // Fills from an offset before end stop there: the blocks a walk wants next lie before it.
  void setEnd(uint32_t end) { end_ = end; }
  // The n bytes at offset, fewer where the file ends; valid until the next call.
  std::span<const uint8_t> at(uint32_t offset, size_t n);

 private:
  void fill(uint32_t offset, size_t n);

  TKFileStream& stream_;
  std::vector<uint8_t> bytes_;
  uint32_t start_ = 0;  // the file offset of bytes_[0]
  size_t held_ = 0;
  uint32_t end_ = 0;
};

}  // namespace vellomar

#include "engine/UFileWindow.h"

#include <algorithm>

#include "foundation/UStream.h"

namespace vellomar {

namespace {

// Large enough that the calls per read cost nothing beside the copy, small enough to stay in
// the cache's outer level.
constexpr size_t kWindowBytes = 1024 * 1024;

}  // namespace

std::span<const uint8_t> FileWindow::at(uint32_t offset, size_t n) {
  const bool inside =
      offset >= start_ && offset - start_ <= held_ && n <= held_ - (offset - start_);
  if (!inside) fill(offset, n);
  const size_t from = offset - start_;
  return {bytes_.data() + from, std::min(n, held_ - from)};
}

void FileWindow::fill(uint32_t offset, size_t n) {
  const uint32_t size = stream_.GetSize();
  const uint32_t stop = offset < end_ ? end_ : size;
  size_t length = std::max(n, std::min<size_t>(kWindowBytes, stop - offset));
  length = offset < size ? std::min<size_t>(length, size - offset) : 0;
  if (bytes_.size() < length) bytes_.resize(length);
  start_ = offset;
  held_ = 0;
  // The stretch is all the walk wants before end: nothing past it.
  const ExactReads exact(stream_);
  stream_.Seek(offset);
  stream_.Read(bytes_.data(), length, held_);
}

}  // namespace vellomar

#include "foundation/UStream.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "foundation/UExceptions.h"

namespace vellomar {

namespace {

constexpr size_t kReadAhead = 64 * 1024;
// The first read of an open is often a header alone: the read-ahead starts at this and doubles
// with each fill up to kReadAhead.
constexpr size_t kFirstReadAhead = 4 * 1024;
constexpr size_t kWriteBehind = 64 * 1024;
constexpr uint32_t kMaxPosition = std::numeric_limits<uint32_t>::max();

constexpr int kAccessError = -1;
constexpr int kOpenError = -2;
constexpr int kReadError = -3;
constexpr int kWriteError = -4;
constexpr int kSeekError = -5;

constexpr int kDamageSeek = 1;
constexpr int kDamageRead = 2;

}  // namespace

std::string fileErrorText(int code) {
  switch (code) {
    case kAccessError:
      return "File access error.";
    case kOpenError:
      return "File creation or open error.";
    case kReadError:
      return "File reading error.";
    case kWriteError:
      return "File writing error.";
    case kSeekError:
      return "File seeking error.";
    default:
      return "File error: " + std::to_string(code);
  }
}

void TKFileStream::Init(std::string_view name, int mode) {
  Done();
  status_ = 0;
  mode_ = mode;
  position_ = 0;
  size_ = 0;
  checkBounds_ = false;
  modified_ = false;
  keepArchiveBit_ = true;
  openedTime_.reset();
  fileName_ = name;
  bufferLength_ = 0;
  readAhead_ = kFirstReadAhead;
  gathered_.clear();

  FileOpenMode openMode;
  switch (mode) {
    case kModeCreate:
      openMode = FileOpenMode::kCreate;
      break;
    case kModeReadWrite:
      openMode = FileOpenMode::kReadWrite;
      break;
    case kModeReadOnly:
      openMode = FileOpenMode::kReadOnly;
      break;
    default:
      Error(kOpenError);
  }
  if (!file_.open(fileName_, openMode)) Error(kOpenError);
  if (mode == kModeReadWrite) {
    openedTime_ = file_.modificationTime();
    keepArchiveBit_ = !openedTime_;
  }
  const std::optional<uint64_t> size = file_.size();
  if (!size) Error(kSeekError);
  size_ = static_cast<uint32_t>(std::min<uint64_t>(*size, kMaxPosition));
}

void TKFileStream::Done() noexcept {
  if (mode_ == kModeClosed) return;
  close();
  mode_ = kModeClosed;
}

void TKFileStream::close() noexcept {
  if (file_.isOpen()) {
    if (!gathered_.empty()) file_.writeAt(gatheredStart_, gathered_.data(), gathered_.size());
    if (!modified_ && !keepArchiveBit_ && openedTime_) file_.setModificationTime(*openedTime_);
    file_.close();
  }
  bufferLength_ = 0;
  gathered_.clear();
}

void TKFileStream::Error(int code) {
  status_ = code;
  const std::string text = fileErrorText(code);
  const int mode = mode_;
  mode_ = kModeClosed;
  close();
  if (mode == kModeReadOnly) throw EKstvNormalException(text);
  throw EKstvFatalException(text);
}

void TKFileStream::Flush() {
  if (mode_ == kModeCreate || mode_ == kModeReadWrite) {
    // Written data that never reaches the disk is a failed write, not a success.
    WriteOut();
    if (!syncDeferred_ && !file_.flush()) Error(kWriteError);
  }
}

void TKFileStream::Seek(uint32_t offset) {
  if (checkBounds_ && offset > size_) throw EKstvDBaseStructException(kDamageSeek);
  if (mode_ == kModeClosed) return;
  position_ = offset;
}

void TKFileStream::SeekToEnd() {
  if (mode_ == kModeClosed) return;
  position_ = size_;
}

void TKFileStream::Read(void* buffer, size_t n, size_t& got) {
  got = 0;
  if (checkBounds_ && (position_ > size_ || n > size_ - position_)) {
    throw EKstvDBaseStructException(kDamageRead);
  }
  if (mode_ == kModeClosed) Error(kReadError);
  n = std::min<size_t>(n, kMaxPosition - position_);
  auto* out = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (true) {
    done += fromBuffer(position_ + done, out + done, n - done);
    if (done == n) break;
    WriteOut();
    if (!readAheadOn_ || n - done >= kReadAhead) {
      const int64_t direct = file_.readAt(position_ + done, out + done, n - done);
      if (direct < 0) Error(kReadError);
      done += static_cast<size_t>(direct);
      break;
    }
    fillBuffer(position_ + done);
    if (bufferLength_ == 0) break;  // end of the file
  }
  got = done;
  position_ += static_cast<uint32_t>(done);
}

void TKFileStream::ReadExact(void* buffer, size_t n) {
  size_t got = 0;
  Read(buffer, n, got);
  if (got != n) Error(kReadError);
}

void TKFileStream::Write(const void* data, size_t n) {
  if (mode_ == kModeClosed || mode_ == kModeReadOnly) return;
  if (n > kMaxPosition - position_) Error(kWriteError);
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (!gathers(n)) WriteOut();
  if (gathers(n)) {
    if (gathered_.empty()) gatheredStart_ = position_;
    gathered_.insert(gathered_.end(), bytes, bytes + n);
  } else if (!file_.writeAt(position_, data, n)) {
    Error(kWriteError);
  }
  updateBuffer(position_, bytes, n);
  modified_ = true;
  position_ += static_cast<uint32_t>(n);
  size_ = std::max(size_, position_);
}

bool TKFileStream::gathers(size_t n) const {
  return n > 0 && position_ == size_ && n <= kWriteBehind - gathered_.size();
}

void TKFileStream::WriteOut() {
  if (gathered_.empty()) return;
  const bool written = file_.writeAt(gatheredStart_, gathered_.data(), gathered_.size());
  gathered_.clear();
  if (!written) Error(kWriteError);
}

size_t TKFileStream::fromBuffer(uint64_t offset, uint8_t* out, size_t n) const {
  if (offset < bufferStart_ || offset - bufferStart_ >= bufferLength_) return 0;
  const size_t at = static_cast<size_t>(offset - bufferStart_);
  const size_t count = std::min(n, bufferLength_ - at);
  if (count > 0) std::memcpy(out, buffer_.data() + at, count);  // out may be null when n is 0
  return count;
}

void TKFileStream::fillBuffer(uint64_t offset) {
  const size_t length = readAhead_;
  readAhead_ = std::min(2 * readAhead_, kReadAhead);
  if (buffer_.size() < length) buffer_.resize(length);
  bufferLength_ = 0;
  const int64_t got = file_.readAt(offset, buffer_.data(), length);
  if (got < 0) Error(kReadError);
  bufferStart_ = offset;
  bufferLength_ = static_cast<size_t>(got);
}

void TKFileStream::updateBuffer(uint64_t offset, const uint8_t* data, size_t n) {
  const uint64_t bufferEnd = bufferStart_ + bufferLength_;
  const uint64_t begin = std::max(offset, bufferStart_);
  const uint64_t end = std::min(offset + n, bufferEnd);
  if (begin >= end) return;
  std::memcpy(buffer_.data() + (begin - bufferStart_), data + (begin - offset), end - begin);
}

}  // namespace vellomar

#include "engine/UArchiveFile.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <memory>

#include "engine/api/UApiGlobals.h"
#include "engine/api/UCallbacks.h"
#include "foundation/UExceptions.h"

namespace vellomar {

bool ArchiveFile::open(const std::string& path) {
  // A FIFO or device named like an archive would block or never end.
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  try {
    stream_.Init(path, TKFileStream::kModeReadOnly);
  } catch (const EKstvException&) {
    return false;
  }
  size_ = stream_.GetSize();
  return true;
}

ByteReader ArchiveFile::read(uint64_t offset, size_t n) {
  if (offset >= size_) return {};
  const size_t wanted = static_cast<size_t>(std::min<uint64_t>(n, size_ - offset));
  const bool inWindow = offset >= windowStart_ && offset - windowStart_ <= window_.size() &&
                        wanted <= window_.size() - (offset - windowStart_);
  if (!inWindow) {
    const size_t load =
        static_cast<size_t>(std::min<uint64_t>(std::max(wanted, kWindowSize), size_ - offset));
    window_.resize(load);
    size_t got = 0;
    try {
      stream_.Seek(static_cast<uint32_t>(offset));
      stream_.Read(window_.data(), load, got);
    } catch (const EKstvException&) {
      // The stream is closed now; what was not read reads as the end of the file.
      size_ = offset;
    }
    window_.resize(got);
    windowStart_ = offset;
  }
  const size_t start = static_cast<size_t>(offset - windowStart_);
  return ByteReader(window_.data() + start, std::min(wanted, window_.size() - start));
}

bool listArchive(TArchiveEntryList& list, const std::string& path,
                 const std::function<bool(ArchiveFile&)>& body) {
  CallbackMessage(ShortString("Scanning contents of " + path));
  bool listed = false;
  try {
    ArchiveFile file;
    listed = file.open(path) && body(file);
  } catch (const EKstvException&) {
    listed = false;
  }
  list.Sort();
  return listed;
}

namespace {

// Length of the character at the front of text: a whole UTF-8 sequence, else one byte.
size_t characterLength(std::string_view text) {
  const auto lead = static_cast<uint8_t>(text[0]);
  const size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xC2 && lead <= 0xDF ? 2
                                                       : 1;
  if (length > text.size()) return 1;
  for (size_t i = 1; i < length; ++i) {
    if ((static_cast<uint8_t>(text[i]) & 0xC0) != 0x80) return 1;
  }
  return length;
}

}  // namespace

std::string_view keepTail(std::string_view text, size_t limit) {
  if (text.size() <= limit) return text;
  // A character may begin up to three bytes before the cut, so decoding starts a little earlier.
  size_t position = text.size() - limit >= 3 ? text.size() - limit - 3 : 0;
  // Continuation bytes at that start cannot begin a character; step over them one by one.
  while (position < text.size() - limit) {
    position += characterLength(text.substr(position));
  }
  return text.substr(position);
}

std::string_view untilZero(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

std::string_view asText(std::span<const uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

int32_t dosDateTimeFromUnix(uint32_t unixTime) {
  const std::time_t time = unixTime;
  const std::tm* local = std::localtime(&time);
  if (local == nullptr || local->tm_year < 80) return (1 << 21) | (1 << 16);
  const uint32_t year = std::min(local->tm_year - 80, 127);
  const uint32_t date = year << 9 | uint32_t(local->tm_mon + 1) << 5 | uint32_t(local->tm_mday);
  const uint32_t clock =
      uint32_t(local->tm_hour) << 11 | uint32_t(local->tm_min) << 5 | uint32_t(local->tm_sec / 2);
  return static_cast<int32_t>(date << 16 | clock);
}

}  // namespace vellomar

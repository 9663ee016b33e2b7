#pragma once

#include "engine/UEngineInternal.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/UArchiveEntry.h"
#include "foundation/UByteReader.h"
#include "foundation/UStream.h"

namespace vellomar {

// An archive file open read-only and shared, read through one window so that a walk over
// neighbouring headers costs one read per window, not one per field. Nothing here raises: a
// file that cannot be read ends where reading failed.
class ArchiveFile {
 public:
  static constexpr size_t kWindowSize = 64 * 1024;

  // False for anything but a regular file.
  bool open(const std::string& path);
  uint64_t size() const { return size_; }
  // The bytes at offset, at most n of them (fewer at the end of the file), as a bounded reader
  // that fails when a parser asks for more. Valid until the next read.
  ByteReader read(uint64_t offset, size_t n);

 private:
  TKFileStream stream_;
  uint64_t size_ = 0;
  std::vector<uint8_t> window_;
  uint64_t windowStart_ = 0;
};

// The common frame of every reader: the status text "Scanning contents of " + path, the file
// opened read-only, any EKstvException (a file error, a full list) turned into false, and the
// list sorted once whatever the outcome.
bool listArchive(TArchiveEntryList& list, const std::string& path,
                 const std::function<bool(ArchiveFile&)>& body);

// The last bytes of text, at most limit of them, starting on a character boundary (bytes that
// are not UTF-8 count as one character each).
std::string_view keepTail(std::string_view text, size_t limit);
// The text up to its first zero byte, or all of it.
std::string_view untilZero(std::string_view text);
std::string_view asText(std::span<const uint8_t> bytes);

// A Unix time as a local DOS date-time; times outside 1980..2107 are clamped to that range.
int32_t dosDateTimeFromUnix(uint32_t unixTime);

// A member offset in the catalogue's 32-bit field.
inline int32_t offset32(uint64_t offset) {
  return static_cast<int32_t>(offset);
}

}  // namespace vellomar

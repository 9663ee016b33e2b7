#include "engine/USelfExtractors.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "engine/UArchiveArj.h"
#include "engine/UArchiveFile.h"
#include "engine/UArchiveRar.h"
#include "engine/UArchiveZip.h"
#include "foundation/UExceptions.h"

namespace vellomar {

namespace {

constexpr size_t kEndRecordSearch = 32768;
constexpr size_t kHeaderSearch = 65520;
constexpr size_t kWindow = 255;
constexpr size_t kWindowStep = 250;
constexpr std::string_view kZipEndRecord = "PK\x05\x06";
constexpr std::string_view kZipLocalHeader = "PK\x03\x04";
constexpr std::string_view kArjHeader = "\x60\xEA";
constexpr std::string_view kRarMarker = "Rar!";

struct Candidates {
  std::optional<uint64_t> zip, rar, arj;
};

// First offsets of the three signatures in overlapping windows over the file's start; a
// signature that straddles two windows is still seen by the overlap of 5 bytes.
Candidates findHeaders(std::string_view start) {
  Candidates found;
  auto note = [](std::optional<uint64_t>& slot, std::string_view window, std::string_view pattern,
                 size_t windowStart) {
    if (slot) return;
    const size_t at = window.find(pattern);
    if (at != std::string_view::npos) slot = windowStart + at;
  };
  for (size_t windowStart = 0; windowStart + kWindow < start.size(); windowStart += kWindowStep) {
    const std::string_view window = start.substr(windowStart, kWindow);
    note(found.zip, window, kZipLocalHeader, windowStart);
    note(found.arj, window, kArjHeader, windowStart);
    note(found.rar, window, kRarMarker, windowStart);
  }
  return found;
}

// Where the last ZIP end record lies in the last 32 KB, if anywhere.
std::optional<uint64_t> findEndRecord(ArchiveFile& file) {
  const size_t n = static_cast<size_t>(std::min<uint64_t>(file.size(), kEndRecordSearch));
  const uint64_t tailStart = file.size() - n;
  ByteReader tail = file.read(tailStart, n);
  const std::string_view bytes = asText(tail.bytes(n));
  if (bytes.size() < n) return std::nullopt;
  const size_t at = bytes.rfind(kZipEndRecord);
  if (at == std::string_view::npos) return std::nullopt;
  return tailStart + at;
}

}  // namespace

bool ReadSfxArchive(TArchiveEntryList& list, const std::string& path, bool deep, uint8_t& kind) {
  kind = kSfxNone;
  Candidates found;
  try {
    ArchiveFile file;
    if (!file.open(path) || file.size() == 0) return false;
    if (const std::optional<uint64_t> endRecord = findEndRecord(file)) {
      kind = kSfxZip;
      return ReadZipCentral(list, path, *endRecord);
    }
    if (!deep) return false;
    const size_t n = static_cast<size_t>(std::min<uint64_t>(file.size(), kHeaderSearch));
    ByteReader start = file.read(0, n);
    const std::string_view bytes = asText(start.bytes(n));
    if (bytes.size() < n) return false;
    found = findHeaders(bytes);
  } catch (const EKstvException&) {
    return false;
  }
  // Each reader is tried only while nothing is listed; the last one tried gives the answer.
  bool listed = false;
  if (found.zip) {
    kind = kSfxZip;
    listed = ReadZipLocal(list, path, *found.zip);
  }
  if (found.rar && list.Count() == 0) {
    kind = kSfxRar;
    listed = ReadRarArchive(list, path, *found.rar);
  }
  if (found.arj && list.Count() == 0) {
    kind = kSfxArj;
    listed = ReadArjArchive(list, path, *found.arj);
  }
  return listed;
}

}  // namespace vellomar

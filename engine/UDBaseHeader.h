#pragma once

// The whole layout of the catalogue file, of which this is a piece: engine/FORMAT.md.

#include "engine/UEngineInternal.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "engine/UScrambler.h"

namespace vellomar {

inline constexpr size_t kHeaderSize = 2626;
inline constexpr size_t kHeaderRecordSize = 276;
inline constexpr std::string_view kDBaseMagic = "Kestrova Database ";
inline constexpr int32_t kDBaseVersion = 0x501;
// A file that needs this version or a later one to be read is refused.
inline constexpr uint32_t kFirstUnreadableVersion = 0x502;

inline constexpr size_t kHeaderWriterVersionOffset = 18;
inline constexpr size_t kHeaderNeededVersionOffset = 22;
inline constexpr size_t kHeaderCopyAOffset = 30;
inline constexpr size_t kHeaderPaddingOffset = 306;
inline constexpr size_t kHeaderPaddingSize = 2044;
inline constexpr size_t kHeaderCopyBOffset = 2350;
static_assert(kHeaderCopyAOffset + kHeaderRecordSize == kHeaderPaddingOffset);
static_assert(kHeaderPaddingOffset + kHeaderPaddingSize == kHeaderCopyBOffset);
static_assert(kHeaderCopyBOffset + kHeaderRecordSize == kHeaderSize);

// The header record, kept as its stored bytes: only the read-only flag has a meaning, the rest
// is carried as found. Byte 0 holds the seed of the copy it was unscrambled from.
using THeaderRecord = std::array<uint8_t, kHeaderRecordSize>;
inline constexpr size_t kHeaderReadOnlyFlagOffset = 12;

bool isReadOnlyExport(const THeaderRecord& record);
void setReadOnlyExport(THeaderRecord& record, bool readOnly);

// Outcome of checking a database file's header. The values are the codes callers report.
enum class HeaderStatus : int {
  kSound = 0,
  kNotDatabase = 1,
  kNewerVersion = 2,
  kCorrupted = 3,
  kReadOnlyExport = 4,
  kUnreadable = 5,
  kNotWritable = 6,
};

// The 2626 header bytes: magic, versions, and the record stored twice, each copy and the
// padding between them scrambled in turn from the generator's current state.
std::vector<uint8_t> buildDBaseHeader(const THeaderRecord& record, Scrambler& scrambler);

struct THeaderReadResult {
  HeaderStatus Status = HeaderStatus::kUnreadable;
  // Copy A, unscrambled; filled for kSound and kReadOnlyExport.
  THeaderRecord Record{};
};

// Checks header bytes as read from a file: fewer than 2626 bytes are unreadable, then the magic,
// the version needed, the agreement of the two copies (bytes 1..275; the seeds differ) and the
// read-only flag of copy A.
THeaderReadResult readDBaseHeader(std::span<const uint8_t> bytes, Scrambler& scrambler);

}  // namespace vellomar

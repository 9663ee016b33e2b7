#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/UByteReader.h"
#include "foundation/UShortString.h"

namespace vellomar {

// Which disks a search goes through.
enum class SearchScope : uint8_t {
  kWholeDatabase = 0,
  kCurrentDisk = 1,
  kSelectedDisks = 2,
  kNotSelectedDisks = 3,
};

// Sort keys of the found-files window.
enum class FoundSortKey : uint8_t {
  kNameExt = 0,
  kExtName = 1,
  kDateTime = 2,
  kSize = 3,
  kDiskFolder = 4,
};

// One search request, filled by the search dialogs and copied whole into the database handle.
// The short strings keep all 255 characters, so a copy carries the bytes beyond their length.
struct TSearchDlgData {
  ShortString Mask;
  bool AddWildcards = false;
  bool Phrase = false;
  int32_t MaxRecs = 0;  // 1..50000
  bool CaseSensitive = false;
  bool StrictMask = false;
  SearchScope SearchIn = SearchScope::kWholeDatabase;
  bool DiskNames = false;
  bool FileNames = false;
  bool FolderNames = false;
  bool Descriptions = false;
  int32_t ScanDirLevel = -1;  // -1 unlimited, 0 root only, 1..9 down to that level
  bool UseMoreOptions = false;
  bool MoreOptionsActive = false;  // the date, size and exclusion limits apply only when set
  ShortString ExcludeMask;
  // DOS date-times, 0 = no limit. Unsigned: dates from 2044 on set the top bit, and a signed
  // comparison would put them before 1980.
  uint32_t DateFrom = 0;  // 00:00 of the first day allowed
  uint32_t DateTo = 0;    // 00:00 of the day after the last day allowed
  // Bytes (a kB value shifted left by 10), 0 = no limit; unsigned like the file sizes.
  uint32_t SizeFrom = 0;
  uint32_t SizeTo = 0;
  ShortString DirMask;
  FoundSortKey SortKey1 = FoundSortKey::kExtName;
  FoundSortKey SortKey2 = FoundSortKey::kDiskFolder;
  FoundSortKey SortKey3 = FoundSortKey::kDateTime;
  bool SearchAsAnsi = true;
  bool SearchAsOem = false;
};

// The packed record: every field follows the previous one, short strings take 256 bytes.
inline constexpr size_t kSearchDlgDataSize = 808;

// Whether the date, size and exclusion limits of data are in force: more options asked for and
// at least one limit above 0 or an exclusion mask; a folder mask alone does not count.
bool MoreOptionsInForce(const TSearchDlgData& data);

// Fields 14 to 25 as a request without more options carries them, whatever they held before.
void ResetMoreOptions(TSearchDlgData& data);

void writeSearchDlgData(ByteWriter& out, const TSearchDlgData& data);
// Reads kSearchDlgDataSize bytes; out-of-range booleans and codes are taken as they stand,
// the caller tests in.ok().
TSearchDlgData readSearchDlgData(ByteReader& in);

}  // namespace vellomar

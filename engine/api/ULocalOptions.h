#pragma once

// The whole layout of the catalogue file, of which this is a piece: engine/FORMAT.md.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/UByteReader.h"
#include "foundation/UShortString.h"

namespace vellomar {

inline constexpr size_t kLocalOptionsSize = 2311;
inline constexpr size_t kDescFileTableSize = 2049;
inline constexpr size_t kDiskNamePatternCapacity = 100;
inline constexpr size_t kLocalOptionsReservedSize = 139;

// Scan archives: 0 yes without prompt, 1 yes with prompt, 2 no.
inline constexpr uint8_t kScanArchivesNoPrompt = 0;
inline constexpr uint8_t kScanArchivesPrompt = 1;
inline constexpr uint8_t kScanArchivesNo = 2;

// The settings a database carries in its own file ("Database Settings").
struct TLocalOptions {
  uint8_t ScanArchives = kScanArchivesNoPrompt;
  // Holds 2 in every file; kept as found.
  uint8_t AlwaysTwo = 0;
  bool ShowDeleted = false;
  bool ScanDesc = false;
  bool OverwriteWarning = false;
  // Triples of mask, maximum characters and filter name, each followed by "|"; stored
  // zero-terminated in 2049 bytes, so at most 2048 bytes of text.
  std::string DescFileTable;
  bool SimulateDiskInfo = false;
  bool ScanZipExeArchives = false;
  bool ScanOtherExeArchives = false;
  bool AlwaysRescanArchives = false;
  bool ExtractFromZips = false;
  bool DisableVolNameChange = false;
  bool GenerateFolderDesc = false;
  bool ImportFilesBbs = false;
  int16_t DiskNameCounter = 0;
  ShortString DiskNamePattern;
  bool AlwaysCreateDesc = false;
  bool ExtractFromRars = false;
  bool ExtractFromAces = false;
  // Archives bigger than this many megabytes are not extracted; 0 for no limit.
  int32_t SizeLimitMB = 0;
  std::array<uint8_t, kLocalOptionsReservedSize> Reserved{};
};

inline constexpr const char* kDefaultDescFileTable =
    "*.txt|500||*.doc|1000|Uni|*.wri|500|Uni|*.htm|500|HTML|*.html|500|HTML|*.rtf|500|RTF|*.mp3|"
    "1000|MP3Tag|";

// The settings of a new database.
void SetDefaultLocalOptions(TLocalOptions& options);

TLocalOptions readLocalOptions(ByteReader& r);
void writeLocalOptions(ByteWriter& w, const TLocalOptions& options);

}  // namespace vellomar

#pragma once

#include "engine/UEngineInternal.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/UArchiveEntry.h"
#include "engine/UMaskItems.h"
#include "engine/UScanHooks.h"
#include "engine/api/UApiTypes.h"
#include "engine/api/ULocalOptions.h"
#include "foundation/UShortString.h"

namespace vellomar {

class TDirCollection;
class TKFileStream;
class TTreeStruct;

// Archives found by a disk scan: which reader a file name calls for, the "Archive Found"
// prompt, the archive's members shown as folders of the disk, and the extraction of one member
// to a temporary file for its description. ScanArchive, LoadArchiveModules and
// FreeArchiveModules are the scan's (UScanHooks.h).

// What the members of an archive of each kind can give: extraction only from ZIP, RAR and ACE.
enum class ArchiveKind : uint8_t {
  kZip = 0,
  kArj = 1,
  kLha = 2,
  kRar = 3,
  kNoExtraction = 4,  // backup sets and ARC
  kAce = 5,
};

// The readers a file name calls for, in the order they are tried.
enum class ArchiveReader : uint8_t {
  kSelfExtractor,
  kArj,
  kRar,
  kAce,
  kLha,
  kNortonBackup,
  kDosBackup,
  kZip,
  kArc,
  kPcBackup,
};
// baseName and extension as the catalogue splits a name ("backup", ".a01").
std::vector<ArchiveReader> ArchiveReadersFor(std::string_view baseName, std::string_view extension,
                                             const TLocalOptions& options);

// The prompt state of a scan, kept in the tree's three scan-state bytes.
inline constexpr size_t kScanKindByte = 0;  // TLocalOptions scan archives, changed by 150 and 151
inline constexpr size_t kAnswerByte = 1;    // 1 scan, 0 skip
inline constexpr size_t kAskedByte = 2;     // the current file was asked about

// Whether the archive at path (as the user knows it) is to be listed. With the prompt on, the
// user is asked at most once per file; "yes to all" and "no to all" hold for the rest of the
// scan.
bool AskScanArchive(TTreeStruct& tree, const ShortString& path);

// Makes the listed archive of lines[index] a folder of folder holding its members, takes its
// line out of lines and counts the members in the disk record; descriptions are extracted
// through the archive module of kind. Null, the line left alone, for an archive without
// members.
TDirCollection* AddArchiveToTree(TTreeStruct& tree, const TLocalOptions& options,
                                 TDirCollection& folder, TKFileStream& stream,
                                 const ArchivePaths& archive, ArchiveKind kind,
                                 const TArchiveEntryList& entries, TScanLines& lines, size_t index);

// The folder node of entryPath ("\a\b\", a last part without "\" ignored) below archiveNode,
// made where missing.
TDirCollection* ForceArchivePath(TTreeStruct& tree, TDirCollection& archiveNode,
                                 std::string_view entryPath);
// The subfolder of node named name, ignoring case, made when there is none.
TDirCollection* FindOrAddArchiveDir(TTreeStruct& tree, std::string_view name, TDirCollection& node);

// Extracts the member entryPath ("\a\") + name of the archive to a temporary file in the
// module's extraction folder and imports its description; the offset of the description block,
// 0 for none (also for a module without its folder). The file is gone afterwards, whatever the
// outcome; the folder goes with FreeArchiveModules. A size limit of 0 MB is no limit.
int32_t ExtractDescription(TTreeStruct& tree, const TLocalOptions& options, TKFileStream& stream,
                           const ArchivePaths& archive, uint32_t entrySize, int32_t headerOffset,
                           const TArchiveModule& module, const std::string& name,
                           const std::string& entryPath);

}  // namespace vellomar

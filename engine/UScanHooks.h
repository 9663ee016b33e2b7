#pragma once

#include "engine/UEngineInternal.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/UScanLines.h"
#include "engine/api/ULocalOptions.h"
#include "foundation/UShortString.h"

namespace vellomar {

class TDirCollection;
class TKFileStream;
class TTreeStruct;

// What a disk scan hands over to archive listing (UEngineArchives) and to description import
// (UFilterModules, UEngineDescImport, UDescCarryOver), which take the folder's lines.

// Chooses the archive modules that options name and loads them.
void LoadArchiveModules(TTreeStruct& tree, const TLocalOptions& options);
void FreeArchiveModules(TTreeStruct& tree);

// An archive file by the name the user knows ("D:\a\b.zip", for prompts and messages) and the
// name that reaches it.
struct ArchivePaths {
  std::string System;
  std::string Linux;
};

// Lists the archive of lines[index] as a folder of folder, as options say, carrying its
// descriptions over from previous, the disk's former version (null for none), and takes its
// line out of lines. False when the file is no archive that is listed. An abort raises nothing:
// it is seen by the next poll of the scan.
bool ScanArchive(TTreeStruct& tree, TTreeStruct* previous, const TLocalOptions& options,
                 TDirCollection& folder, TScanLines& lines, size_t index,
                 const ArchivePaths& archive);

}  // namespace vellomar

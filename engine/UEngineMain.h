#pragma once

#include "engine/UEngineInternal.h"

#include <string_view>

#include "engine/UTreeStruct.h"
#include "engine/api/ULocalOptions.h"
#include "foundation/UShortString.h"

namespace vellomar {

// Reads the drive or folder at path ("D:\", "D:", "D:\photos") into tree, a fresh tree
// without a root: the folder tree, every file, descriptions and archive contents. Folder
// records and file lists are built here; description and file-list blocks are appended to the
// owner's stream as the scan goes, the disk block is the caller's to save. previous is the
// disk's former version, when there is one: descriptions and unchanged file lists are carried
// over from it, and it is left with another current folder and file list. options are the
// database's: what the scan reads, descriptions and archives, and how.
//
// The scan never follows a link, never opens anything but regular files and never leaves the
// file system of path. True when the whole disk was read, with the root current and no file
// list loaded; on an abort (or any exception) the tree holds an empty root "\" and no files.
// Progress goes to the global callbacks: the folder being read, the phase and percent, and the
// abort poll. The disk's details keep path cut to its tail when it is longer than they hold.
bool ScanDiskToTree(TTreeStruct& tree, TTreeStruct* previous, const TLocalOptions& options,
                    std::string_view path, const ShortString& diskName,
                    const ShortString& volumeLabel);

}  // namespace vellomar

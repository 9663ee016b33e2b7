#pragma once

#include "engine/UEngineInternal.h"

#include <cstddef>

#include "engine/UScanHooks.h"
#include "engine/UTreeStruct.h"

namespace vellomar {

class TKFileStream;

// Archive contents and their descriptions carried over from the previous version of a disk to
// a rescan of it. Entries are matched by name and extension, case ignored; of entries that
// match alike, the first in list order is taken.

// When lines[index] is a file whose previous version (same name, extension and DOS date-time)
// is an archive folder of previousFolder, moves that folder with its contents and descriptions
// under folder, takes the line out of lines and counts the archive by its contents in tree's
// details (the file itself stays counted among the files). False, changing nothing, when there
// is none.
bool MovePrevArchive(TTreeStruct& tree, TDirCollection& folder, TDirCollection* previousFolder,
                     TScanLines& lines, size_t index);

// After an archive was listed anew as archiveNode of tree (its file lists written to stream),
// gives its entries and folders the descriptions of its previous version: the folder at the
// same path in previous, the disk's former version. Nothing without one, or when previous is
// tree itself.
void CarryArchiveDescs(TTreeStruct& tree, TTreeStruct* previous, TDirCollection& archiveNode,
                       TKFileStream& stream);

// The carry-over from previousNode to newNode, whose file lists lie in stream: a previous
// description is taken where the new entry has none, and a user's description always. The new
// file records are rewritten in place; the folders take theirs in memory. Damaged previous
// lists are counted in damageCounter and carry nothing.
void CopyArchiveDescs(TKFileStream& stream, int32_t& damageCounter,
                      const TDirCollection& previousNode, TDirCollection& newNode);

}  // namespace vellomar

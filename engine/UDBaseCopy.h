#pragma once

#include "engine/UEngineInternal.h"

#include <cstdint>
#include <vector>

#include "engine/api/UApiTypes.h"
#include "foundation/UShortString.h"

namespace vellomar {

class TDBase;
class TDirCollection;
struct TTreeSlots;

// Copies the live disks of source into target as fresh blocks: all of them, or else the
// selected ones, or the current one when none is selected. uniqueNames gives a disk whose name
// a live disk of the target has already a suffix " ~1", " ~2" ...; copyOptions takes over the
// source's local options. False when aborted (the per-handle progress callback or the global
// abort callback, polled per disk and every 1000 files) or when the target refused a disk; the
// disks saved until then stay. Both handles end without a current tree. A target that is the
// source file itself is refused with EKstvNormalException before anything is written. A disk
// keeps what of its block reads: a block running past the end of the file its records inside
// it, one of which not even the details read an empty root under the name its block still
// holds. A source opened for repair also copies, so, the live disks its stored key table knows
// whose blocks the rebuilt table did not find, and counts as left out the live disks beyond the
// table's room.
bool CompressDBase(TDBase& source, TTreeSlots& sourceTrees, TDBase& target, TTreeSlots& targetTrees,
                   bool allDisks, bool uniqueNames, bool copyOptions);

// The same, filling counts.
bool CompressDBase(TDBase& source, TTreeSlots& sourceTrees, TDBase& target, TTreeSlots& targetTrees,
                   bool allDisks, bool uniqueNames, bool copyOptions, TCopyCounts& counts);

// Writes the file lists and descriptions of node's subtree into target and points the tree at
// the copies; the folder records follow when the tree is saved. A file list is copied as the
// bytes it is, after its entries are checked, with its description offsets rewritten; a damaged
// list gives the entries before the damage. Adds the folders, files and descriptions copied and
// left out to counts. False when aborted, which leaves the tree pointing partly at the source.
bool CopyTree(TDBase& source, TDBase& target, TDirCollection* node, TCopyCounts& counts);

// The description block at offset appended to target; its new offset, 0 for none. A damaged
// block is counted in the source's damage counter and dropped (0), before anything is written.
int32_t CopyDescription(TDBase& source, TDBase& target, int32_t offset);

}  // namespace vellomar

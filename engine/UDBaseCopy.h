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
// source file itself is refused with EKstvNormalException before anything is written; a disk
// whose copy would hold fewer entries than its source raises it before that disk is saved.
bool CompressDBase(TDBase& source, TTreeSlots& sourceTrees, TDBase& target, TTreeSlots& targetTrees,
                   bool allDisks, bool uniqueNames, bool copyOptions);

// The same, filling counts.
bool CompressDBase(TDBase& source, TTreeSlots& sourceTrees, TDBase& target, TTreeSlots& targetTrees,
                   bool allDisks, bool uniqueNames, bool copyOptions, TCopyCounts& counts);

// The file-list entries of one disk's copy: those its source blocks hold (up to any damage,
// which is counted) and those written. A disk whose copy wrote fewer is not saved: the copy
// raises EKstvNormalException instead of reporting success.
struct CopiedEntries {
  int64_t Read = 0;
  int64_t Written = 0;
};

// Writes the file lists and descriptions of node's subtree into target and points the tree at
// the copies; the folder records follow when the tree is saved. A file list is copied as the
// bytes it is, after its entries are checked, with its description offsets rewritten; a damaged
// list gives the entries before the damage. Adds the entries read and written to entries, and
// the folders, files and descriptions copied and left out to counts. False when aborted, which
// leaves the tree pointing partly at the source.
bool CopyTree(TDBase& source, TDBase& target, TDirCollection* node, CopiedEntries& entries,
              TCopyCounts& counts);

// The description block at offset appended to target; its new offset, 0 for none. A damaged
// block is counted in the source's damage counter and dropped (0), before anything is written.
int32_t CopyDescription(TDBase& source, TDBase& target, int32_t offset);

}  // namespace vellomar

#pragma once

#include "engine/UEngineInternal.h"

#include <cstdint>

namespace vellomar {

class TDBase;
class TWalkSink;
struct TTreeSlots;

// Which disks a walk visits.
inline constexpr int32_t kWalkCurrentDisk = 1;
inline constexpr int32_t kWalkSelectedDisks = 2;
inline constexpr int32_t kWalkNotSelectedDisks = 3;
// The current folder of the loaded disk and everything below it.
inline constexpr int32_t kWalkCurrentFolder = 4;

// What a walk does with each line.
inline constexpr int32_t kWalkMeasure = 0;
inline constexpr int32_t kWalkPrint = 1;
inline constexpr int32_t kWalkExport = 2;

// Every live disk with its size and free space, as disk items of the found collection. Leaves
// the handle without a current tree.
void SearchFreeSpace(TDBase& handle, TTreeSlots& trees);

// Hands the disks, folders and lines of scope to sink, in the mode's calls. Scopes 1 to 3 leave
// the handle without a current tree; scope 4 keeps the loaded disk and its current folder, and
// raises "Internal error 501: TreeStructIsNil" when none is loaded. Every begin call of an
// export gets its end, also on abort or damage.
void IterateDisks(TDBase& handle, TTreeSlots& trees, int32_t scope, int32_t mode, TWalkSink& sink);
// The same through the handle's print or export callbacks, with the API's value records.
void IterateDisks(TDBase& handle, TTreeSlots& trees, int32_t scope, int32_t mode);

}  // namespace vellomar

#pragma once

#include "engine/UEngineInternal.h"

#include "abi/FilterAbi.h"
#include "engine/UMaskItems.h"
#include "engine/UTreeStruct.h"
#include "engine/api/UApiTypes.h"

namespace vellomar {

// The description filter modules of a scan: shared objects of the program's folder named after
// their filter with the extension ".k32", the name's case ignored.

// Loads every module of tree's list in order, each with its three entry points. A module that
// cannot be loaded, or lacks an entry point, raises EKstvNormalException after the modules
// loaded before it are released again.
void LoadFilterModules(TTreeStruct& tree);
// Unloads every loaded module of tree's list.
void FreeFilterModules(TTreeStruct& tree);

// The entry points of a loaded module; null for a module that is not loaded.
inline FilterOpenTransferProc openTransferOf(const TFilterModule& module) {
  return reinterpret_cast<FilterOpenTransferProc>(module.OpenTransfer);
}
inline FilterGetOneBlockProc getOneBlockOf(const TFilterModule& module) {
  return reinterpret_cast<FilterGetOneBlockProc>(module.GetOneBlock);
}
inline FilterCloseTransferProc closeTransferOf(const TFilterModule& module) {
  return reinterpret_cast<FilterCloseTransferProc>(module.CloseTransfer);
}

}  // namespace vellomar

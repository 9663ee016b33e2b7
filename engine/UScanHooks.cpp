#include "engine/UScanHooks.h"

namespace vellomar {

void LoadArchiveModules(TTreeStruct&) {}

void FreeArchiveModules(TTreeStruct&) {}

bool ScanArchive(TTreeStruct&, TDirCollection&, TScanLines&, size_t, const ShortString&) {
  return false;
}

}  // namespace vellomar

#include "engine/UScanHooks.h"

namespace vellomar {

void LoadFilterModules(TTreeStruct&) {}

void FreeFilterModules(TTreeStruct&) {}

void LoadArchiveModules(TTreeStruct&) {}

void FreeArchiveModules(TTreeStruct&) {}

int32_t ImportDescription(TTreeStruct&, TKFileStream&, const ShortString&, bool,
                          const ShortString&) {
  return 0;
}

bool MovePrevArchive(TTreeStruct&, TDirCollection&, TDirCollection*, TScanLines&, size_t) {
  return false;
}

bool ScanArchive(TTreeStruct&, TDirCollection&, TScanLines&, size_t, const ShortString&) {
  return false;
}

}  // namespace vellomar

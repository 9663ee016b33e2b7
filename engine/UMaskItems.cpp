#include "engine/UMaskItems.h"

namespace vellomar {

TArchiveModule::TArchiveModule(ArchiveModuleKind kind, int32_t sizeLimitMB)
    : Name(kind == ArchiveModuleKind::kZipLibrary ? "VUnZip32.dll" : ""),
      Kind(kind),
      BuiltIn(kind != ArchiveModuleKind::kZipLibrary),
      SizeLimitMB(sizeLimitMB) {}

}  // namespace vellomar

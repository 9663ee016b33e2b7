#pragma once

namespace vellomar {

class TDBase;
class TTreeStruct;

// The texts with which the flat API refuses a null object.
inline constexpr const char* kDBaseIsNil = "Internal error 500: DBaseIsNil";
inline constexpr const char* kTreeStructIsNil = "Internal error 501: TreeStructIsNil";
inline constexpr const char* kDirColHandleIsNil = "Internal error 506: DirColHandleIsNil";
inline constexpr const char* kFileColHandleIsNil = "Internal error 507: FileColHandleIsNil";

// The handle, or EKstvFatalException kDBaseIsNil.
TDBase& requireDBase(TDBase* handle);
// The handle's current tree, or EKstvFatalException kTreeStructIsNil.
TTreeStruct& requireTree(TDBase& handle);

}  // namespace vellomar

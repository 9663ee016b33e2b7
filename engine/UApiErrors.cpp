#include "engine/api/UApiErrors.h"

#include "engine/UDBase.h"
#include "foundation/UExceptions.h"

namespace vellomar {

TDBase& requireDBase(TDBase* handle) {
  if (handle == nullptr) throw EKstvFatalException(kDBaseIsNil);
  return *handle;
}

TTreeStruct& requireTree(TDBase& handle) {
  if (!handle.Trees.Current) throw EKstvFatalException(kTreeStructIsNil);
  return *handle.Trees.Current;
}

}  // namespace vellomar

#include "modules/abi/FilterAbi.h"
#include "modules/filterdoubles/FilterDouble.h"

namespace vellomar {

extern "C" VELLOMAR_EXPORT void CloseTransfer(int32_t) {}

}  // namespace vellomar

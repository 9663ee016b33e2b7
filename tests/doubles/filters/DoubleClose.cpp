#include "abi/FilterAbi.h"
#include "tests/doubles/filters/FilterDouble.h"

namespace vellomar {

extern "C" VELLOMAR_EXPORT void CloseTransfer(int32_t) {}

}  // namespace vellomar

// Claims one byte more than it was asked for.

#include <cstring>

#include "abi/FilterAbi.h"
#include "tests/doubles/filters/FilterDouble.h"

namespace vellomar {

extern "C" VELLOMAR_EXPORT int32_t GetOneBlock(int32_t transfer, uint8_t* buffer, int32_t wanted,
                                               int32_t* delivered) {
  *delivered = 0;
  if (transfer != filterdouble::kHandle || wanted < 1) return kFilterLastBlock;
  std::memset(buffer, 'x', static_cast<size_t>(wanted));
  *delivered = wanted + 1;
  return kFilterMoreMayFollow;
}

}  // namespace vellomar

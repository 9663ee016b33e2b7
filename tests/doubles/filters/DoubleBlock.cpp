#include <algorithm>
#include <cstring>

#include "abi/FilterAbi.h"
#include "tests/doubles/filters/FilterDouble.h"

namespace vellomar {

extern "C" VELLOMAR_EXPORT int32_t GetOneBlock(int32_t transfer, uint8_t* buffer, int32_t wanted,
                                               int32_t* delivered) {
  using namespace filterdouble;
  *delivered = 0;
  if (transfer != kHandle || wanted < 1) return kFilterLastBlock;
  const size_t n = std::min({static_cast<size_t>(wanted), kBlock, kText.size() - given});
  std::memcpy(buffer, kText.data() + given, n);
  given += n;
  *delivered = static_cast<int32_t>(n);
  return given == kText.size() ? kFilterLastBlock : kFilterMoreMayFollow;
}

}  // namespace vellomar

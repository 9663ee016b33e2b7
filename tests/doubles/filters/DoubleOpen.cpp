#include "abi/FilterAbi.h"
#include "tests/doubles/filters/FilterDouble.h"

namespace vellomar {

size_t filterdouble::given = 0;

extern "C" VELLOMAR_EXPORT int32_t OpenTransfer(const char* fileName, int32_t* transfer) {
  if (!fileName || !transfer) return kFilterNoText;
  filterdouble::given = 0;
  *transfer = filterdouble::kHandle;
  return kFilterOpened;
}

}  // namespace vellomar

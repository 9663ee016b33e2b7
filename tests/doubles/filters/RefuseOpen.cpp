// Opens no file.

#include "abi/FilterAbi.h"
#include "tests/doubles/filters/FilterDouble.h"

namespace vellomar {

size_t filterdouble::given = 0;

extern "C" VELLOMAR_EXPORT int32_t OpenTransfer(const char*, int32_t* transfer) {
  if (transfer) *transfer = 0;
  return kFilterNoText;
}

}  // namespace vellomar

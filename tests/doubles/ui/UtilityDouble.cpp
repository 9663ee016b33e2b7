#include <string>

#include "abi/UtilityAbi.h"
#include "tests/doubles/ui/CallRecord.h"

namespace vellomar {

// Ejects nothing; a device named "busy" fails as a drive that refuses.
extern "C" __attribute__((visibility("default"))) int32_t Eject(int32_t drive, const char* device) {
  doubles::recordCall(std::string(1, static_cast<char>(drive & 0xFF)) + " " + device + "\n");
  return std::string(device) == "busy" ? 1 : 0;
}

}  // namespace vellomar

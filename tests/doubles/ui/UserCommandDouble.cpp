#include <string>

#include "abi/UserCommandAbi.h"
#include "tests/doubles/ui/CallRecord.h"

namespace vellomar {

extern "C" __attribute__((visibility("default"))) void UserCommand(
    uintptr_t window, const char* params, const char* fullPath, const char* pathInArchive,
    int32_t dosDateTime, int32_t size, int32_t attributes, const char* description,
    const char* tempFolder, int32_t flags, int32_t reserved) {
  try {
    doubles::recordCall(std::string(window != 0 ? "window" : "no window") + "|" + params + "|" +
                        fullPath + "|" + pathInArchive + "|" + std::to_string(dosDateTime) + "|" +
                        std::to_string(size) + "|" + std::to_string(attributes) + "|" +
                        description + "|" + tempFolder + "|" + std::to_string(flags) + "|" +
                        std::to_string(reserved) + "\n");
  } catch (...) {
  }
}

}  // namespace vellomar

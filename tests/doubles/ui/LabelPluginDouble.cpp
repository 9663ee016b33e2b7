#include <cstring>
#include <string>

#include "abi/LabelPluginAbi.h"
#include "tests/doubles/ui/CallRecord.h"

namespace vellomar {

extern "C" {

__attribute__((visibility("default"))) int32_t GetVellomarPluginVersion() {
  return 1;
}

__attribute__((visibility("default"))) void SetLanguage(int32_t language) {
  doubles::recordCall("language " + std::to_string(language) + "\n");
}

#ifndef WITHOUT_MENU_LABEL
__attribute__((visibility("default"))) const char* GetMenuLabel() {
  return "Print labels";
}
#endif

// Records the names up to and with the two NULs that end them.
__attribute__((visibility("default"))) void DisplayPrintDialog(uintptr_t window,
                                                               const char* diskNames) {
  size_t length = 0;
  while (diskNames[length] != '\0' || diskNames[length + 1] != '\0') ++length;
  doubles::recordCall(std::string(window != 0 ? "window " : "no window ") +
                      std::string(diskNames, length + 2));
}

}  // extern "C"

}  // namespace vellomar

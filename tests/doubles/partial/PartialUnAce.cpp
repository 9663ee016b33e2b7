// An ACE library without ACETest: the program must count it absent.

#include "abi/UnaceAbi.h"

namespace vellomar {

extern "C" {

__attribute__((visibility("default"))) int32_t ACEInitDll(AceInitRecord*) {
  return kAceOk;
}

__attribute__((visibility("default"))) int32_t ACEReadArchiveData(const char*, AceArchiveData*) {
  return kAceErrorOpen;
}

__attribute__((visibility("default"))) int32_t ACEList(const char*, AceListRequest*) {
  return kAceOk;
}

__attribute__((visibility("default"))) int32_t ACEExtract(const char*, AceExtractRequest*) {
  return kAceOk;
}

}  // extern "C"

}  // namespace vellomar

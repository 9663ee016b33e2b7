// A RAR library without RARGetDllVersion: the program must count it absent.

#include "abi/UnrarAbi.h"

namespace vellomar {

extern "C" {

__attribute__((visibility("default"))) RarArchive* RAROpenArchive(RarOpenRequest* request) {
  request->openResult = kRarOpenError;
  return nullptr;
}

__attribute__((visibility("default"))) int32_t RARCloseArchive(RarArchive*) {
  return kRarOk;
}

__attribute__((visibility("default"))) int32_t RARReadHeader(RarArchive*, RarMemberHeader*) {
  return kRarEndOfArchive;
}

__attribute__((visibility("default"))) int32_t RARProcessFile(RarArchive*, int32_t, const char*,
                                                              const char*) {
  return kRarBadData;
}

}  // extern "C"

}  // namespace vellomar

// The RAR library's header walk: every member header of a RAR 1.5 to 4 or RAR 5 archive, once
// with the header CRCs checked and once without, so that changed fields get past them.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "modules/unrar/RarHeaderWalk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vellomar;
  const ByteSource read = [&](uint64_t offset, size_t n) {
    if (offset >= size) return ByteReader();
    return ByteReader(data + offset, std::min<uint64_t>(n, size - offset));
  };
  for (const bool checkCrcs : {true, false}) {
    RarHeaderWalk walk;
    if (walk.open(read, size, checkCrcs) != RarHeaderWalk::Open::kOk) continue;
    RarMember member;
    while (walk.next(member) == RarHeaderWalk::Step::kMember) {
    }
  }
  return 0;
}

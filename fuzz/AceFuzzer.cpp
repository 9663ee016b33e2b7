// The ACE library's archive walk: every member header, and each stored member's data copied
// out and checked against its CRC.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz/FuzzFile.h"
#include "modules/unace/AceArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vellomar;
  fuzz::writeScratchFile(std::span<const uint8_t>(data, size));
  AceArchiveFile archive;
  if (archive.open(fuzz::scratchPath().c_str()) != kAceOk) return 0;
  static const int sink = ::open("/dev/null", O_WRONLY);
  archive.walk([&](const AceMember& member) {
    if (member.method == kAceStored) archive.copyStored(member, sink);
    return kAceOk;
  });
  return 0;
}

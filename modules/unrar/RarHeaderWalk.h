#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "foundation/URarBlocks.h"
#include "modules/unrar/Rar5Blocks.h"

namespace vellomar {

// One member as its header gives it, whatever the format.
struct RarMember {
  std::string name;  // folders separated by "\" (RAR 1.5 to 4) or "/" (RAR 5)
  bool nameIsUtf8 = false;
  bool folder = false;
  uint32_t attributes = 0;  // DOS attributes
  uint32_t dateTime = 0;    // DOS date-time, local time
  uint64_t unpackedSize = 0;
};

// Every member header of a RAR 1.5 to 4 or RAR 5 archive, in file order, read without
// unpacking anything: solid archives, encrypted members and any method list alike, since each
// member's data is passed over by its size.
class RarHeaderWalk {
 public:
  enum class Open { kOk, kNotRar, kHeadsEncrypted };
  enum class Step { kMember, kEnd, kBroken };

  // The archive must start with the signature of either format. A member whose header fails
  // its CRC ends the walk broken, unless checkCrcs is off, which only lets a fuzzer reach the
  // fields behind the CRCs.
  Open open(const ByteSource& read, uint64_t fileSize, bool checkCrcs = true);
  Step next(RarMember& member);

 private:
  std::optional<RarBlockWalk> blocks_;
  std::optional<Rar5BlockWalk> blocks5_;
  bool checkCrcs_ = true;
};

}  // namespace vellomar

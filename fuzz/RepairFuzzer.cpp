// The repair path: a damaged database in the form of the blocks target (key table as written
// short, then the data area) is opened with its key table rebuilt and copied into a new file as
// the repair run copies it. The copy must read back whole through every block reader, and hold
// the disks the repair says it saved.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/UDBase.h"
#include "engine/UDBaseCopy.h"
#include "engine/UTreeStruct.h"
#include "foundation/UExceptions.h"
#include "fuzz/CatalogueWalk.h"
#include "fuzz/FuzzFile.h"

namespace vellomar::fuzz {
namespace {

// Each rebuilt key costs a disk copy and a key-table write: past a few dozen they reach nothing
// new.
constexpr int32_t kMaxRebuiltKeys = 64;

void boundRebuiltKeys(TDBase& handle) {
  TKeyField& keys = handle.keyTable().keys();
  if (keys.count() <= kMaxRebuiltKeys) return;
  keys.Keys.resize(kMaxRebuiltKeys);
  keys.LiveCount = std::min(keys.LiveCount, kMaxRebuiltKeys);
  keys.CurrentIndex = 0;
}

void exerciseRepair(const std::vector<uint8_t>& file) {
  writeScratchFile(file);
  Scrambler scrambler;
  TDBase source(scrambler);
  try {
    OpenDBaseFile(source, scratchPath(), true);
  } catch (const EKstvException&) {
    return;
  }
  boundRebuiltKeys(source);
  const std::string& repaired = secondScratchPath();
  TCopyCounts counts;
  {
    TDBase target(scrambler);
    CreateDBaseFile(target, repaired);
    OpenDBaseFile(target, repaired, false);
    TTreeSlots sourceTrees;
    TTreeSlots targetTrees;
    CompressDBase(source, sourceTrees, target, targetTrees, true, false, true, counts);
    CloseDBaseFile(source, false);
    CloseDBaseFile(target, false);
  }
  TDBase check(scrambler);
  OpenDBaseFile(check, repaired, false);
  walkCatalogue(check);
  if (check.DamageCounter != 0 || check.keyTable().keys().LiveCount != counts.Disks) {
    __builtin_trap();
  }
  CloseDBaseFile(check, false);
}

}  // namespace
}  // namespace vellomar::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vellomar::fuzz;
  // Kept from input to input, so its memory is not taken afresh each time.
  static std::vector<uint8_t> file;
  blocksFileOf(std::span<const uint8_t>(data, size), file);
  exerciseRepair(file);
  return 0;
}

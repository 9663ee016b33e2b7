// The data area of a database whose key table is rebuilt by searching it for disk blocks; the
// rebuilt table is then used as the browser and the delete and rename commands use it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/UDBaseLayout.h"
#include "engine/UKeyTable.h"
#include "foundation/UExceptions.h"
#include "tests/support/DBaseImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vellomar;
  std::vector<uint8_t> file(kDataAreaOffset);
  file.insert(file.end(), data, data + size);
  testing::MemoryDataArea area(file);
  KeyTable keys(area);
  try {
    keys.RebuildKeyTable();
    const TKeyField& table = keys.keys();
    if (table.count() > kKeyCapacity || table.LiveCount > table.count()) __builtin_trap();
    for (int32_t i = 0; i < table.LiveCount; ++i) {
      keys.FindKey(keys.ReadDiskName(table.Keys[i].Offset), 0);
    }
    if (table.LiveCount > 0) {
      const int32_t offset = table.Keys[0].Offset;
      keys.MoveKeyToDeleted(0);
      keys.InsertKey(offset, 0);
      keys.RepositionKey(keys.keys().LiveCount - 1);
    }
  } catch (const EKstvException&) {
  }
  return 0;
}

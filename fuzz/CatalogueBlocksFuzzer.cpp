// The key table and data area of a database whose header and settings are sound: the input is
// the key table as written short (head and used entries) followed by the data area, so every
// mutation lands on something the readers parse.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz/CatalogueWalk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vellomar::fuzz;
  // Kept from input to input, so its memory is not taken afresh each time.
  static std::vector<uint8_t> file;
  blocksFileOf(std::span<const uint8_t>(data, size), file);
  exerciseCatalogue(file);
  return 0;
}

// A whole database file: header copies, settings, key table and data area as stored.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/CatalogueWalk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Kept from input to input, so its memory is not taken afresh each time.
  static std::vector<uint8_t> file;
  file.assign(data, data + size);
  vellomar::fuzz::exerciseCatalogue(file);
  return 0;
}

// A whole database file: header copies, settings, key table and data area as stored.
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz/CatalogueWalk.h"
#include "fuzz/FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vellomar::fuzz::writeScratchFile(std::span<const uint8_t>(data, size));
  vellomar::fuzz::exerciseCatalogue(vellomar::fuzz::scratchPath());
  return 0;
}

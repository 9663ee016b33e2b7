#pragma once

#include "engine/UEngineInternal.h"

#include <cstdint>
#include <string>

#include "engine/UArchiveEntry.h"

namespace vellomar {

// Lists an LHA archive (.lzh, .lha, .ice). A start above 1 is the offset of the method text
// "-l", two bytes into the first header. True when the walk met no bad header.
bool ReadLhaArchive(TArchiveEntryList& list, const std::string& path, uint64_t start);

}  // namespace vellomar

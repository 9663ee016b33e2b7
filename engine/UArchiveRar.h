#pragma once

#include "engine/UEngineInternal.h"

#include <cstdint>
#include <string>

#include "engine/UArchiveEntry.h"

namespace vellomar {

// Lists a RAR archive through the RAR library when it is there and lists a file; otherwise
// (formats 1.5 to 4) by walking its blocks from the "Rar!" marker at start. True when at least
// one file was listed; folders are not listed.
bool ReadRarArchive(TArchiveEntryList& list, const std::string& path, uint64_t start);

}  // namespace vellomar

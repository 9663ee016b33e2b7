#pragma once

#include "engine/UEngineInternal.h"

#include <cstdint>
#include <string>

#include "engine/UArchiveEntry.h"

namespace vellomar {

// Lists an ARJ archive, searching for its first header from start (the start of the file, or
// where a self-extractor's archive was seen). True when at least one header was read.
bool ReadArjArchive(TArchiveEntryList& list, const std::string& path, uint64_t start);

}  // namespace vellomar

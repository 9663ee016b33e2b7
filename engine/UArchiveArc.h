#pragma once

#include "engine/UEngineInternal.h"

#include <string>

#include "engine/UArchiveEntry.h"

namespace vellomar {

// Lists an ARC archive from the start of the file; ARC has no folders.
bool ReadArcArchive(TArchiveEntryList& list, const std::string& path);

}  // namespace vellomar

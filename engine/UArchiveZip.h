#pragma once

#include "engine/UEngineInternal.h"

#include <cstdint>
#include <string>

#include "engine/UArchiveEntry.h"

namespace vellomar {

// Lists a ZIP archive from its central directory. endRecordOffset is where the end record
// lies, 0 to search for it; without one the local headers are walked instead.
bool ReadZipCentral(TArchiveEntryList& list, const std::string& path, uint64_t endRecordOffset);
// Lists a ZIP archive by walking its local headers from firstHeaderOffset.
bool ReadZipLocal(TArchiveEntryList& list, const std::string& path, uint64_t firstHeaderOffset);

}  // namespace vellomar

#pragma once

#include "engine/UEngineInternal.h"

#include <cstdint>
#include <string>

#include "engine/UArchiveEntry.h"

namespace vellomar {

// Kinds of self-extracting archives.
constexpr uint8_t kSfxZip = 0;
constexpr uint8_t kSfxArj = 1;
constexpr uint8_t kSfxRar = 3;
constexpr uint8_t kSfxNone = 4;

// Lists the archive an ".exe" file carries and tells its kind (kSfxNone when none). A ZIP is
// found by its end record in the last 32 KB; with deep set, a ZIP, RAR or ARJ archive is also
// looked for by its first header in the first 65520 bytes.
bool ReadSfxArchive(TArchiveEntryList& list, const std::string& path, bool deep, uint8_t& kind);

}  // namespace vellomar

#pragma once

#include <cstdint>

#include "setup/ZipEntryStream.h"

namespace vellomar::setup {

// General-purpose flag bits of an imploded entry.
constexpr uint16_t kImplodeBigWindow = 0x02;    // 8192-byte window, else 4096
constexpr uint16_t kImplodeLiteralTree = 0x04;  // three trees, else literals are raw bytes

// Method 6: sliding dictionary with Shannon-Fano coded literals, lengths and distances.
void Explode(ZipEntryStream& stream, uint16_t flags);

}  // namespace vellomar::setup

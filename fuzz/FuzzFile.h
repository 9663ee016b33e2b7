#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vellomar::fuzz {

// The readers under test take file names, so every input goes through one scratch file of the
// process, in memory where the system has a RAM disk, each input written over the last in place.
// Removed when the process ends.
const std::string& scratchPath();
void writeScratchFile(std::span<const uint8_t> bytes);
// A second name beside the scratch file, for a file that a reader under test writes itself;
// removed when the process ends.
const std::string& secondScratchPath();

}  // namespace vellomar::fuzz

#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "engine/UDBase.h"

namespace vellomar::fuzz {

// Reads every block reachable from the key table of an open database, as browsing it does:
// each disk block's details and folder records, each folder's file list, each description.
// Every structure error is passed over and counted in the handle's damage counter.
void walkCatalogue(TDBase& handle);

// Where the number of keys lies in the key table head.
inline constexpr size_t kKeyCountOffset = 8;

// A whole database file, with a sound header and settings, from input holding the key table as
// written short (head and used entries) followed by the data area, so that every mutation lands
// on something the readers parse. The count the head gives is cut to the entries the input
// holds: a full table of zero keys costs a sort of 10000 names per run and is the whole-file
// target's to try.
void blocksFileOf(std::span<const uint8_t> input, std::vector<uint8_t>& file);

// Stores count as the number of keys of a whole database file.
void setKeyCount(std::vector<uint8_t>& file, size_t count);

// Cuts the key table of a whole database file to its first 64 keys, passing over each entry
// that repeats the one before it more than once. A table whose entries run past the end of the
// file is left alone: the open refuses it at no cost.
void boundKeyTable(std::vector<uint8_t>& file);

// Bounds the key table (in place), writes the file to the scratch file, checks and opens it,
// walks it, moves keys about as deleting and renaming do, and closes it (which writes the header
// and key table back). Refusals and damage are expected outcomes; any other exception, and any
// sanitizer report, is a finding.
void exerciseCatalogue(std::vector<uint8_t>& file);

}  // namespace vellomar::fuzz

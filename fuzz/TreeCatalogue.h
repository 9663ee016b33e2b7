#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "engine/UKeyTable.h"
#include "tests/support/DBaseImage.h"

namespace vellomar::fuzz {

// Appends a disk whose root holds two files and two folders, the first of them with a file and
// a subfolder of its own; the root and two files have descriptions. Returns its offset.
int32_t addTreeDisk(testing::DBaseImage& image, std::string_view name);

// Sets the key table to these keys, the live count from their flags.
void setLiveKeys(testing::DBaseImage& image, std::initializer_list<TKeyEntry> entries);

}  // namespace vellomar::fuzz

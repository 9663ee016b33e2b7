#pragma once

#include "setup/ZipEntryStream.h"

namespace vellomar::setup {

// Methods 2 to 5 (factor 1 to 4): follower sets, then runs and copies led by 0x90.
void Unreduce(ZipEntryStream& stream, int factor);

}  // namespace vellomar::setup

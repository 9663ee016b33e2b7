#pragma once

#include "setup/ZipEntryStream.h"

namespace vellomar::setup {

// Method 1: LZW with codes of 9 to 13 bits, widened and partly cleared by control codes.
void Unshrink(ZipEntryStream& stream);

}  // namespace vellomar::setup

#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/UShortString.h"
#include "ui/panels/UFileLines.h"

namespace vellomar {

// The size column of a line: "(folder)" for a folder, nothing for "..".
ShortString SizeCellText(const TOneFileLine& line, bool inKB);

// Date, a blank, and time; empty for a zero date-time.
ShortString DateTimeText(int32_t dosDateTime, bool withSeconds);

// The lines of a description hint before wrapping: for a file or archive, in brief display its
// name, size and date-time (the date-time only when set), then the short description when
// there is one. Folders and ".." get none.
std::vector<std::string> DescHintLines(const TOneFileLine& line, bool brief,
                                       const std::string& shortDesc, bool withSeconds, bool inKB);

}  // namespace vellomar

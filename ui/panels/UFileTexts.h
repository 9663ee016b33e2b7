#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/UShortString.h"
#include "ui/panels/UFileLines.h"

namespace vellomar {

// A stored 32-bit size, read unsigned: sizes from 2 GiB on are shown as they are, not as
// negative numbers; in kB mode they take the GB step.
ShortString FormatFileSize(int32_t storedSize, bool inKB);

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

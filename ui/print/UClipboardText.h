#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/UFileLine.h"

namespace vellomar {

class TDBase;

// The names of the selected disks and of the current one, each ended by CR LF, in key order.
std::string DiskNamesText(TDBase* handle);

// The selected lines and the focused one, in list order, each as name, date, time, size and
// short description separated by tabs and ended by CR LF; a line without a date-time has both
// fields empty, "(folder)" stands for a folder's size, ".." has none.
std::string FileLinesText(TDBase* handle, const std::vector<const TOneFileLine*>& lines,
                          int32_t focused, bool showSeconds, bool sizeInKB);

// Either text as the clipboard takes it: CP1252 names of old catalogues decoded.
void CopyTextToClipboard(const std::string& text);

}  // namespace vellomar

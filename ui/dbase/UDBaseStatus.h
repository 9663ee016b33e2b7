#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/api/UApiTypes.h"

namespace vellomar {

// The texts of the database window's status bar.

// The current folder's totals: " 3 folders, 12 files, 1.50 MB" when the totals with and without
// archive contents agree, " 3/5 folders, 12/40 files, 1.50 MB/2.00 MB" when they differ, " "
// without any bytes.
std::string SubtotalsText(const TDirTotals& totals);

// The line of the file panel that has the focus.
struct FileStatusLine {
  enum class Kind { kFile, kFolder, kParent };
  std::string nameExt;
  Kind kind = Kind::kFile;
  uint64_t size = 0;                       // bytes, whatever the sign bit of the stored field
  uint32_t dateTime = 0;                   // DOS date and time, 0 none
  std::optional<std::string> description;  // the short description, when there is one
};

// " name.ext   1.50 kB   3/14/03 9:05   " and the description after three more blanks.
std::string FileStatusText(const FileStatusLine& line, bool sizeInKB, bool showSeconds);

}  // namespace vellomar

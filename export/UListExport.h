#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "engine/api/UApiTypes.h"
#include "export/UExport.h"

namespace vellomar {

enum class ExportListKind { kFoundFiles, kFreeSpace };

// One line of a found-files or free-space list as the export reads it.
struct ExportListLine {
  TOneFile Entry;  // found files
  std::string_view DiskName;
  std::string_view Folder;  // found files
  int32_t SizeKB = 0;       // free space
  int32_t FreeKB = 0;
  bool Selected = false;
};

// Writes a list through the loaded template into its open output: "on database begin", each
// line as a file (found files) or a disk (free space), "on database end". Only the names, and a
// free-space line's sizes, are set in the records the events read; nothing of a walk shows.
// afterLine runs after every line, exported or not, with its index, and answers true to stop; the
// closing section is written all the same.
void ExportList(TDBaseExport& e, ExportListKind kind, std::string_view dbaseFileName, int32_t count,
                const std::function<ExportListLine(int32_t)>& lineAt, bool onlySelected,
                const std::function<bool(int32_t)>& afterLine);

}  // namespace vellomar

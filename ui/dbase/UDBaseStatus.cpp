#include "ui/dbase/UDBaseStatus.h"

#include "export/UFileLine.h"
#include "foundation/UBaseUtils.h"

namespace vellomar {

std::string SubtotalsText(const TDirTotals& t) {
  if (t.Size <= 0) return " ";
  const auto size = [](int64_t bytes) { return FormatSize64(bytes).str(); };
  if (t.Folders == t.PhysFolders && t.Files == t.PhysFiles && t.Size == t.PhysSize)
    return " " + std::to_string(t.PhysFolders) + " folders, " + std::to_string(t.PhysFiles) +
           " files, " + size(t.PhysSize);
  return " " + std::to_string(t.PhysFolders) + "/" + std::to_string(t.Folders) + " folders, " +
         std::to_string(t.PhysFiles) + "/" + std::to_string(t.Files) + " files, " +
         size(t.PhysSize) + "/" + size(t.Size);
}

std::string FileStatusText(const FileStatusLine& line, bool sizeInKB, bool showSeconds) {
  std::string text = " " + line.nameExt + "   ";
  switch (line.kind) {
    case FileStatusLine::Kind::kFolder:
      text += "(folder)  ";
      break;
    case FileStatusLine::Kind::kParent:
      break;
    case FileStatusLine::Kind::kFile:
      text += FormatFileSize(storedFileSize(line.size), sizeInKB).str() + "   ";
      break;
  }
  if (line.dateTime != 0)
    text += FormatDosDate(line.dateTime).str() + " " +
            FormatDosTime(line.dateTime, showSeconds).str() + "   ";
  if (line.description) text += "   " + *line.description;
  return text;
}

}  // namespace vellomar

#include "export/UListExport.h"

#include <string>

namespace vellomar {

void ExportList(TDBaseExport& e, ExportListKind kind, std::string_view dbaseFileName, int32_t count,
                const std::function<ExportListLine(int32_t)>& lineAt, bool onlySelected,
                const std::function<bool(int32_t)>& afterLine) {
  DatabaseData = TDatabaseData{};
  DiskData = TDiskData{};
  FolderData = TFolderData{};
  const size_t cut = dbaseFileName.find_last_of("\\/");
  const size_t split = cut == std::string_view::npos ? 0 : cut + 1;
  DatabaseData.Path = std::string(dbaseFileName.substr(0, split));
  DatabaseData.Name = std::string(dbaseFileName.substr(split));
  ExportDBaseBegin(e);
  for (int32_t i = 0; i < count; ++i) {
    const ExportListLine line = lineAt(i);
    if (line.Selected || !onlySelected) {
      DiskData.DiskName = std::string(line.DiskName);
      if (kind == ExportListKind::kFoundFiles) {
        FolderData.Name = std::string(line.Folder);
        ExportFoundFile(e, line.Entry);
      } else {
        DiskData.SizeKB = line.SizeKB;
        DiskData.FreeKB = line.FreeKB;
        ExportDiskBegin(e);
      }
    }
    if (afterLine(i)) break;
  }
  ExportDBaseEnd(e);
}

}  // namespace vellomar

#include "export/UListExport.h"

#include <string>

namespace vellomar {

void ExportList(TDBaseExport& e, ExportListKind kind, std::string_view dbaseFileName, int32_t count,
                const std::function<ExportListLine(int32_t)>& lineAt, bool onlySelected,
                const std::function<bool(int32_t)>& afterLine) {
  TDatabaseData database;
  TDiskData disk;
  TFolderData folder;
  const size_t cut = dbaseFileName.find_last_of("\\/");
  const size_t split = cut == std::string_view::npos ? 0 : cut + 1;
  database.Path = std::string(dbaseFileName.substr(0, split));
  database.Name = std::string(dbaseFileName.substr(split));
  ExportDBaseBegin(e, database);
  for (int32_t i = 0; i < count; ++i) {
    const ExportListLine line = lineAt(i);
    if (line.Selected || !onlySelected) {
      disk.DiskName = std::string(line.DiskName);
      if (kind == ExportListKind::kFoundFiles) {
        folder.Name = std::string(line.Folder);
        ExportFoundFile(e, disk, folder, line.Entry);
      } else {
        disk.SizeKB = line.SizeKB;
        disk.FreeKB = line.FreeKB;
        ExportDiskBegin(e, disk);
      }
    }
    if (afterLine(i)) break;
  }
  ExportDBaseEnd(e);
}

}  // namespace vellomar

#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "export/UListExport.h"
#include "ui/dbruns/FExportRun.h"

namespace vellomar {

// "Export List To Text Format": exports the lines of a found-files list through a .veff
// template or of a free-space list through a .vefs template, only the selected ones when the
// user asks. The result window sets the fields and shows it.
class TFormFoundExport : public TFormExportRun {
  Q_OBJECT
 public:
  explicit TFormFoundExport(QWidget* parent = nullptr);

  ExportListKind Kind = ExportListKind::kFoundFiles;
  CatalogueGateway* Catalogue = nullptr;
  std::string DBaseFileName;
  // The window's lines, in list order.
  int32_t LineCount = 0;
  std::function<ExportListLine(int32_t)> LineAt;

 protected:
  // Only the selected lines or all, the template and the output file.
  bool askFirst() override;
  int runJob() override;

 private:
  bool onlySelected_ = false;
  std::string output_;
};

}  // namespace vellomar

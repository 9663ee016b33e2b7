#pragma once

#include "ui/common/UCatalogueGateway.h"
#include "ui/dbruns/FExportRun.h"

namespace vellomar {

// "Export Database To Text Format": exports the current folder, the current disk or the selected
// disks of an open database through a database template (.vefd), the engine walking the disks.
class TFormDiskExport : public TFormExportRun {
  Q_OBJECT
 public:
  explicit TFormDiskExport(QWidget* parent = nullptr);

  CatalogueGateway* Catalogue = nullptr;

 protected:
  // The scope, the template and the output file.
  bool askFirst() override;
  int runJob() override;

 private:
  int32_t scope_ = 0;
  std::string output_;
};

}  // namespace vellomar

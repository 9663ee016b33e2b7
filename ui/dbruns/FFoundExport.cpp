#include "ui/dbruns/FFoundExport.h"

#include "export/UExport.h"
#include "ui/common/UServices.h"
#include "ui/settings/FSettings.h"
#include "ui/settings/USettingsGlobals.h"

namespace vellomar {

TFormFoundExport::TFormFoundExport(QWidget* parent) : TFormExportRun(parent) {
  setObjectName(QStringLiteral("FormFoundExport"));
  setWindowTitle(QStringLiteral("Export List To Text Format"));
}

bool TFormFoundExport::askFirst() {
  if (FormSettings != nullptr) FormSettings->ApplyDisplayGlobals();
  onlySelected_ = false;
  for (int32_t i = 0; i < LineCount && !onlySelected_; ++i) onlySelected_ = LineAt(i).Selected;
  if (onlySelected_) {
    const BoxResult answer = services().messages->show(
        "Group of items is selected.", "Export only selected items?\r\nNo = export all.",
        BoxIcon::kQuestion, BoxButtons::kYesNoCancel);
    if (answer == BoxResult::kCancel) return false;
    onlySelected_ = answer == BoxResult::kYes;
  }
  output_ = chooseTemplateAndOutput(
      Kind == ExportListKind::kFoundFiles
          ? "Export Format for Found files (*.veff)|*.veff|All files (*.*)|*.*"
          : "Export Format for free Space (*.vefs)|*.vefs|All files (*.*)|*.*",
      Catalogue);
  return !output_.empty();
}

int TFormFoundExport::runJob() {
  ExportOutputFile file(exportState(), output_);
  ExportList(exportState(), Kind, DBaseFileName, LineCount, LineAt, onlySelected_,
             [this](int32_t index) {
               if (index % 100 == 0) showProgress();
               letEventsRun();
               return cancelRequested();
             });
  file.close();
  return QDialog::Accepted;
}

}  // namespace vellomar

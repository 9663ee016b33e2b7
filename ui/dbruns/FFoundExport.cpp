#include "ui/dbruns/FFoundExport.h"

#include "export/UExport.h"
#include "ui/common/UServices.h"
#include "ui/settings/FSettings.h"

namespace vellomar {

TFormFoundExport::TFormFoundExport(QWidget* parent) : TFormExportRun(parent) {
  setObjectName(QStringLiteral("FormFoundExport"));
  setWindowTitle(QStringLiteral("Export List To Text Format"));
}

int TFormFoundExport::runJob() {
  if (FormSettings != nullptr) FormSettings->ApplyDisplayGlobals();
  bool onlySelected = false;
  for (int32_t i = 0; i < LineCount && !onlySelected; ++i) onlySelected = LineAt(i).Selected;
  if (onlySelected) {
    const BoxResult answer = services().messages->show(
        "Group of items is selected.", "Export only selected items?\r\nNo = export all.",
        BoxIcon::kQuestion, BoxButtons::kYesNoCancel);
    if (answer == BoxResult::kCancel) return QDialog::Rejected;
    onlySelected = answer == BoxResult::kYes;
  }
  const std::string output = chooseTemplateAndOutput(
      Kind == ExportListKind::kFoundFiles
          ? "Export Format for Found files (*.veff)|*.veff|All files (*.*)|*.*"
          : "Export Format for free Space (*.vefs)|*.vefs|All files (*.*)|*.*",
      Catalogue);
  if (output.empty()) return QDialog::Rejected;
  ExportOutputFile file(exportState(), output);
  ExportList(exportState(), Kind, DBaseFileName, LineCount, LineAt, onlySelected,
             [this](int32_t index) {
               if (index % 100 == 0) showProgress();
               letEventsRun();
               return cancelRequested();
             });
  file.close();
  return QDialog::Accepted;
}

}  // namespace vellomar

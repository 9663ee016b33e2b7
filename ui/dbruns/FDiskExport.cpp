#include "ui/dbruns/FDiskExport.h"

#include <QLabel>

#include "export/UExport.h"
#include "ui/dbruns/UDialogExec.h"
#include "ui/print/FDiskPrint.h"
#include "ui/settings/FSettings.h"
#include "ui/settings/USettingsGlobals.h"

namespace vellomar {

TFormDiskExport::TFormDiskExport(QWidget* parent) : TFormExportRun(parent) {
  setObjectName(QStringLiteral("FormDiskExport"));
  setWindowTitle(QStringLiteral("Export Database To Text Format"));
}

bool TFormDiskExport::askFirst() {
  if (FormSettings != nullptr) FormSettings->ApplyDisplayGlobals();
  // Not shown yet, the window cannot own the dialog: its own owner does.
  TFormDiskPrintSelect select(parentWidget());
  select.setWindowTitle(QStringLiteral("Items To Be Exported"));
  select.LabelWhat->setText(QStringLiteral("Export:"));
  select.enableSelectedDisks(Catalogue->selectedKeyCount() > 0);
  if (execDialog(select) != QDialog::Accepted) return false;
  scope_ = select.scope();
  output_ = chooseTemplateAndOutput(
      "Export Format for Database (*.vefd)|*.vefd|All files (*.*)|*.*", Catalogue);
  return !output_.empty();
}

int TFormDiskExport::runJob() {
  ExportOutputFile file(exportState(), output_);
  // The walk's progress: how much is written so far.
  TExportWalk walk(exportState(), [this](bool& abort) {
    showProgress();
    letEventsRun();
    abort = cancelRequested();
  });
  Catalogue->exportWalk(scope_, walk);
  file.close();
  return QDialog::Accepted;
}

}  // namespace vellomar

#include "ui/dbruns/FDiskExport.h"

#include <QLabel>

#include "export/UExport.h"
#include "ui/dbruns/UDialogExec.h"
#include "ui/print/FDiskPrint.h"
#include "ui/settings/FSettings.h"

namespace vellomar {

TFormDiskExport::TFormDiskExport(QWidget* parent) : TFormExportRun(parent) {
  setObjectName(QStringLiteral("FormDiskExport"));
  setWindowTitle(QStringLiteral("Export Database To Text Format"));
  FormDiskPrintSelect = new TFormDiskPrintSelect(this);
}

int TFormDiskExport::runJob() {
  if (FormSettings != nullptr) FormSettings->ApplyDisplayGlobals();
  FormDiskPrintSelect->setWindowTitle(QStringLiteral("Items To Be Exported"));
  FormDiskPrintSelect->LabelWhat->setText(QStringLiteral("Export:"));
  FormDiskPrintSelect->enableSelectedDisks(Catalogue->selectedKeyCount() > 0);
  if (execDialog(*FormDiskPrintSelect) != QDialog::Accepted) return QDialog::Rejected;
  const std::string output = chooseTemplateAndOutput(
      "Export Format for Database (*.vefd)|*.vefd|All files (*.*)|*.*", Catalogue);
  if (output.empty()) return QDialog::Rejected;
  ExportOutputFile file(exportState(), output);
  // The walk's progress: how much is written so far.
  TExportWalk walk(exportState(), [this](bool& abort) {
    showProgress();
    letEventsRun();
    abort = cancelRequested();
  });
  Catalogue->exportWalk(FormDiskPrintSelect->scope(), walk);
  file.close();
  return QDialog::Accepted;
}

}  // namespace vellomar

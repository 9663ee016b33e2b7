#include "ui/dbruns/FDiskExport.h"

#include <QLabel>

#include "export/UExport.h"
#include "ui/dbruns/UDialogExec.h"
#include "ui/print/FDiskPrint.h"
#include "ui/settings/FSettings.h"

namespace vellomar {

namespace {

// The walk's callbacks, taken back on every path.
class ExportCallbacks {
 public:
  explicit ExportCallbacks(CatalogueGateway& catalogue) : catalogue_(catalogue) {
    SetExportCallbacks(catalogue.handle(), &ProgressContext::progress);
  }
  ~ExportCallbacks() { catalogue_.resetExportCallbacks(); }
  ExportCallbacks(const ExportCallbacks&) = delete;
  ExportCallbacks& operator=(const ExportCallbacks&) = delete;

 private:
  CatalogueGateway& catalogue_;
};

}  // namespace

TFormDiskExport::TFormDiskExport(QWidget* parent) : TFormExportRun(parent) {
  setObjectName(QStringLiteral("FormDiskExport"));
  setWindowTitle(QStringLiteral("Export Database To Text Format"));
  FormDiskPrintSelect = new TFormDiskPrintSelect(this);
}

void TFormDiskExport::progress(const TSearchCounts&, bool& abort) {
  showProgress();
  letEventsRun();
  abort = cancelRequested();
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
  ExportOutputFile file(output);
  {
    const ExportCallbacks installed(*Catalogue);
    Catalogue->walkDisks(FormDiskPrintSelect->scope(), 2);
  }
  file.close();
  return QDialog::Accepted;
}

}  // namespace vellomar

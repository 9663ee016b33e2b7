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
}

void TFormDiskExport::progress(const TSearchCounts&, bool& abort) {
  showProgress();
  letEventsRun();
  abort = cancelRequested();
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
  ExportOutputFile file(output_);
  {
    const ExportCallbacks installed(*Catalogue);
    Catalogue->walkDisks(scope_, 2);
  }
  file.close();
  return QDialog::Accepted;
}

}  // namespace vellomar

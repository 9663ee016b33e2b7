#include "ui/scan/UScanDialogs.h"

#include <QPointer>
#include <QWidget>

#include "ui/drives/FSelectFolder.h"
#include "ui/scan/FAskForLabel.h"
#include "ui/scan/FScanFolder.h"
#include "ui/scan/FScanProgress.h"
#include "ui/scan/FSelectDrive.h"

namespace vellomar {

ScanDialogs::ScanDialogs(QWidget* owner)
    : QObject(owner),
      SelectDrive(new TFormSelectDrive(owner)),
      SelectFolder(new TFormSelectFolder(owner)),
      ScanFolder(new TFormScanFolder(*SelectFolder, owner)),
      AskForLabel(new TFormAskForLabel(owner)),
      ScanProgress(new TFormScanProgress(owner)) {}

ScanDialogs& ScanDialogs::of(QWidget* window) {
  static QPointer<ScanDialogs> dialogs;
  if (!dialogs) dialogs = new ScanDialogs(window->window());
  return *dialogs;
}

}  // namespace vellomar

#include "ui/dbruns/FRepair.h"

#include <QLabel>

#include "ui/common/UServices.h"
#include "ui/dbruns/URepairReport.h"

namespace vellomar {

TFormRepair::TFormRepair(QWidget* parent)
    : TFormCopyRun(QColor(128, 0, 0), QSize(443, 87), parent) {
  setObjectName(QStringLiteral("FormRepair"));
  setWindowTitle(QStringLiteral("Repairing Database"));
}

void TFormRepair::showEvent(QShowEvent* event) {
  LabelInfo->setFullText(QStringLiteral("Scanning the database, please wait..."));
  TFormCopyRun::showEvent(event);
}

int TFormRepair::runJob() {
  LabelInfo->setFullText(QStringLiteral("Repairing index table..."));
  letEventsRun();
  if (const std::optional<RepairResult> result = RunRepair(SourceName, TargetName, reportError)) {
    tellAfterClose([report = BuildRepairReport(*result)] {
      services().messages->show(kRepairCaption, report.Text,
                                report.Lost ? BoxIcon::kExclamation : BoxIcon::kInformation);
    });
  }
  return QDialog::Accepted;
}

void TFormRepair::reportFailure(const std::exception& failure) {
  reportFailureAs(failure, kRepairCaption);
}

}  // namespace vellomar

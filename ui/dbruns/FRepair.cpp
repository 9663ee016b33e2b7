#include "ui/dbruns/FRepair.h"

#include <QLabel>

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
  RunRepair(SourceName, TargetName, callbacks(), reportError);
  return QDialog::Accepted;
}

void TFormRepair::reportFailure(const std::exception& failure) {
  reportFailureAs(failure, "Database Repair");
}

}  // namespace vellomar

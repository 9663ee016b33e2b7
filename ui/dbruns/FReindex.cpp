#include "ui/dbruns/FReindex.h"

#include <QLabel>

namespace vellomar {

TFormReindex::TFormReindex(QWidget* parent)
    : TFormCopyRun(QColor(0, 128, 0), QSize(298, 96), parent) {
  setObjectName(QStringLiteral("FormReindex"));
}

void TFormReindex::showEvent(QShowEvent* event) {
  setWindowTitle(QString::fromUtf8(ReindexCaption(Job.Mode)));
  LabelInfo->setFullText(QString());
  TFormCopyRun::showEvent(event);
}

int TFormReindex::runJob() {
  RunReindex(Job, reportError);
  return QDialog::Accepted;
}

void TFormReindex::reportFailure(const std::exception& failure) {
  reportFailureAs(failure, ReindexFailureCaption(Job.Mode));
}

}  // namespace vellomar

#include "ui/dbruns/FCopyRun.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "foundation/UExceptions.h"
#include "ui/common/UPieGauge.h"
#include "ui/common/UServices.h"

namespace vellomar {

namespace {

QString qs(const ShortString& text) {
  return QString::fromUtf8(text.data(), text.length());
}

}  // namespace

TFormCopyRun::TFormCopyRun(QColor gaugeColor, QSize clientSize, QWidget* parent)
    : TProgressWindow(parent) {
  Gauge = new TPieGauge(gaugeColor, this);
  LabelInfo = new TFittedLabel(this, 2);
  ButtonCancel = new QPushButton(QStringLiteral("Cancel"), this);
  ButtonCancel->setDefault(true);
  connect(ButtonCancel, &QPushButton::clicked, this, &TProgressWindow::requestCancel);
  auto* text = new QVBoxLayout;
  text->addWidget(LabelInfo);
  text->addStretch(1);
  text->addWidget(ButtonCancel, 0, Qt::AlignRight);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(Gauge);
  layout->addLayout(text, 1);
  resize(clientSize);
}

bool TFormCopyRun::query(const ShortString&) {
  return true;
}

uint16_t TFormCopyRun::choice(const ShortString&) {
  return 0;
}

void TFormCopyRun::message(const ShortString& text) {
  LabelInfo->setFullText(qs(text));
  letEventsRun();
}

void TFormCopyRun::appendText(const ShortString& text) {
  LabelInfo->setFullText(LabelInfo->fullText() + qs(text));
  letEventsRun();
}

void TFormCopyRun::percent(int32_t, int32_t percent) {
  Gauge->SetProgress(percent);
  letEventsRun();
}

void TFormCopyRun::reportFailureAs(const std::exception& failure, std::string_view caption) {
  if (dynamic_cast<const EKstvFatalException*>(&failure) != nullptr) {
    ShowCriticalErrorBox(failure.what());
  } else {
    showErrorMessage(caption, failure.what());
  }
}

void TFormCopyRun::reportError(std::string_view caption, std::string_view text) {
  showErrorMessage(caption, text);
}

}  // namespace vellomar

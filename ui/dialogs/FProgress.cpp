#include "ui/dialogs/FProgress.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "ui/common/UPieGauge.h"
#include "ui/grid/UQtText.h"

namespace vellomar {

namespace {

const QColor kNavy(0, 0, 128);
constexpr int kGaugeSize = 105;

}  // namespace

TFormProgress::TFormProgress(QWidget* parent) : TProgressWindow(parent) {
  setObjectName("FormProgress");
  setWindowTitle("Progress");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowStaysOnTopHint);
  resize(130, 163);
  Gauge1 = new TPieGauge(kNavy, this);
  Gauge1->setFixedSize(kGaugeSize, kGaugeSize);
  ButtonStop = new QPushButton("Stop", this);
  ButtonStop->setDefault(true);
  connect(ButtonStop, &QPushButton::clicked, this, &TFormProgress::requestCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Gauge1, 0, Qt::AlignHCenter);
  layout->addWidget(ButtonStop, 0, Qt::AlignHCenter);
}

void TFormProgress::Run(const std::string& caption, const std::function<void()>& fill) {
  setWindowTitle(qtText(caption));
  Gauge1->SetProgress(0);
  fill_ = fill;
  exec();
  fill_ = nullptr;
}

void TFormProgress::SetProgress(int percent) {
  if (percent <= Gauge1->Progress()) return;
  Gauge1->SetProgress(percent);
  letEventsRun();
}

int TFormProgress::runJob() {
  if (fill_) fill_();
  return QDialog::Accepted;
}

}  // namespace vellomar

#include "ui/dialogs/FProgress.h"

#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/grid/UQtText.h"

namespace vellomar {

namespace {

const QColor kNavy(0, 0, 128);
constexpr int kGaugeSize = 105;

}  // namespace

TPieGauge::TPieGauge(QWidget* parent) : QWidget(parent) {
  setFixedSize(kGaugeSize, kGaugeSize);
}

void TPieGauge::SetProgress(int percent) {
  progress_ = std::clamp(percent, 0, 100);
  update();
}

void TPieGauge::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF circle = QRectF(rect()).adjusted(1, 1, -1, -1);
  p.setPen(Qt::black);
  p.setBrush(Qt::white);
  p.drawEllipse(circle);
  p.setBrush(kNavy);
  // Clockwise from twelve o'clock, in sixteenths of a degree.
  p.drawPie(circle, 90 * 16, -progress_ * 360 * 16 / 100);
  p.setPen(progress_ >= 50 ? Qt::white : Qt::black);
  p.drawText(rect(), Qt::AlignCenter, QString::number(progress_) + "%");
}

TFormProgress::TFormProgress(QWidget* parent) : TProgressWindow(parent) {
  setObjectName("FormProgress");
  setWindowTitle("Progress");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowStaysOnTopHint);
  resize(130, 163);
  Gauge1 = new TPieGauge(this);
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

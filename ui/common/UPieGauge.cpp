#include "ui/common/UPieGauge.h"

#include <QPainter>
#include <algorithm>

namespace vellomar {

TPieGauge::TPieGauge(QColor color, QWidget* parent) : QWidget(parent), color_(color) {
  setMinimumSize(48, 48);
}

void TPieGauge::SetProgress(int percent) {
  percent = std::clamp(percent, 0, 100);
  if (percent == progress_) return;
  progress_ = percent;
  update();
}

void TPieGauge::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const int side = std::min(width(), height()) - 2;
  const QRectF circle((width() - side) / 2.0, (height() - side) / 2.0, side, side);
  p.setPen(Qt::black);
  p.setBrush(Qt::white);
  p.drawEllipse(circle);
  p.setBrush(color_);
  // Angles in sixteenths of a degree; negative turns clockwise.
  p.drawPie(circle, 90 * 16, -progress_ * 360 * 16 / 100);
  p.setPen(progress_ >= 50 ? Qt::white : Qt::black);
  p.drawText(circle, Qt::AlignCenter, QString::number(progress_) + "%");
}

}  // namespace vellomar

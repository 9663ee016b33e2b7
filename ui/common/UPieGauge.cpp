#include "ui/common/UPieGauge.h"

#include <QPainter>
#include <QPainterPath>
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
  // Angles in degrees; negative turns clockwise.
  QPainterPath pie(circle.center());
  pie.arcTo(circle, 90, -progress_ * 360.0 / 100);
  pie.closeSubpath();
  p.fillPath(pie, color_);
  p.strokePath(pie, QPen(Qt::black));
  // The figure straddles both parts: black over the empty part, white over the filled one, so
  // no digit vanishes into its background.
  const QString text = QString::number(progress_) + "%";
  p.setPen(Qt::black);
  p.drawText(circle, Qt::AlignCenter, text);
  p.setClipPath(pie);
  p.setPen(Qt::white);
  p.drawText(circle, Qt::AlignCenter, text);
}

}  // namespace vellomar

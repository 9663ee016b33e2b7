#include "ui/panels/UDescHint.h"

#include <QPainter>
#include <QPolygon>

namespace vellomar {

DescHintShape PlaceDescHint(const QRect& cell, QSize grid, int widest, int tallest, int lines) {
  // Right and bottom edges are exclusive here, as the bubble's arithmetic counts them.
  const int cellRight = cell.left() + cell.width();
  const int cellBottom = cell.top() + cell.height();
  const int middle = (cell.left() + cellRight) / 2;
  int left = 0;
  int right = 0;
  DescHintShape shape;
  if (middle < grid.width() / 2) {
    left = middle - 11;
    right = middle + widest - 5;
    if (right >= grid.width()) {
      const int shift = grid.width() - right - 3;
      left += shift;
      right += shift;
    }
    shape.base1.setX(left + 5);
    shape.base2.setX(left + 17);
    shape.tip.setX(left + 11);
  } else {
    left = middle - widest + 5;
    right = middle + 11;
    if (left <= 0) {
      const int shift = 3 - left;
      left += shift;
      right += shift;
    }
    shape.base1.setX(right - 17);
    shape.base2.setX(right - 5);
    shape.tip.setX(right - 11);
  }
  int top = 0;
  int bottom = 0;
  if (cell.top() < grid.height() / 2) {
    top = cellBottom + 3;
    bottom = cellBottom + lines * tallest + 5;
    shape.base1.setY(top);
    shape.base2.setY(top);
    shape.tip.setY(top - 6);
  } else {
    top = cell.top() - lines * tallest - 5;
    bottom = cell.top() - 3;
    shape.base1.setY(bottom - 1);
    shape.base2.setY(bottom - 1);
    shape.tip.setY(bottom + 5);
  }
  shape.body = QRect(left, top, right - left, bottom - top);
  return shape;
}

void DrawDescHint(QPainter& p, const DescHintShape& shape, const QStringList& lines,
                  int lineHeight) {
  const QColor pale(0xFF, 0xFF, 0xCF);
  p.setPen(Qt::black);
  p.setBrush(pale);
  p.drawRoundedRect(shape.body, 4, 4);
  p.drawPolygon(QPolygon({shape.base1, shape.tip, shape.base2}));
  p.setPen(pale);
  p.drawLine(shape.base1 + QPoint(1, 0), shape.base2 - QPoint(1, 0));
  p.setPen(Qt::black);
  for (int i = 0; i < lines.size(); ++i) {
    const QPoint origin = shape.textOrigin(i, lineHeight);
    p.drawText(QRect(origin, QSize(shape.body.right() - origin.x(), lineHeight)),
               Qt::AlignLeft | Qt::AlignTop, lines[i]);
  }
}

}  // namespace vellomar

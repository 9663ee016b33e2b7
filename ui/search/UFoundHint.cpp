#include "ui/search/UFoundHint.h"

namespace vellomar {

DescHintShape foundHintShape(const QRect& reference, int gridHeight, int widest, int lineHeight,
                             int lines) {
  // Right and bottom edges are exclusive here, as the balloon's arithmetic counts them.
  const int centre = (reference.left() + reference.left() + reference.width()) / 2;
  int left = centre - widest + 5;
  int right = centre + 11;
  if (left <= 0) {
    const int shift = 3 - left;
    left += shift;
    right += shift;
  }
  const int height = lines * lineHeight + 2;
  DescHintShape shape;
  if (reference.top() < gridHeight / 2) {
    const int top = reference.top() + reference.height() + 3;
    shape.body = QRect(QPoint(left, top), QPoint(right, top + height));
    shape.base1 = QPoint(right - 17, top);
    shape.tip = QPoint(right - 11, top - 6);
    shape.base2 = QPoint(right - 5, top);
  } else {
    const int bottom = reference.top() - 3;
    shape.body = QRect(QPoint(left, bottom - height), QPoint(right, bottom));
    shape.base1 = QPoint(right - 17, bottom);
    shape.tip = QPoint(right - 11, bottom + 6);
    shape.base2 = QPoint(right - 5, bottom);
  }
  return shape;
}

}  // namespace vellomar

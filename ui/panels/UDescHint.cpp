#include "ui/panels/UDescHint.h"

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

}  // namespace vellomar

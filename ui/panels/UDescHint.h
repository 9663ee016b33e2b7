#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringList>

class QPainter;

namespace vellomar {

// The speech bubble of a description hint: its body and the pointer that joins it to the line.
struct DescHintShape {
  QRect body;
  QPoint base1;
  QPoint base2;
  QPoint tip;
  // Where line i of the text starts.
  QPoint textOrigin(int i, int lineHeight) const {
    return {body.left() + 3, body.top() + i * lineHeight + 1};
  }
};

// Places the bubble for a cell of the file grid: beside the cell's middle, leaning to the side
// with more room and kept 3 px inside the grid, below the cell in the grid's upper half and
// above it in the lower half. widest and tallest are the text's widest and tallest line.
DescHintShape PlaceDescHint(const QRect& cell, QSize grid, int widest, int tallest, int lines);

// Draws the bubble: pale yellow (COLORREF 0xCFFFFF) with a black outline and rounded corners,
// its pointer joined to it without a line between, and the text lines in it.
void DrawDescHint(QPainter& p, const DescHintShape& shape, const QStringList& lines,
                  int lineHeight);

}  // namespace vellomar

#pragma once

#include <QRect>

#include "ui/panels/UDescHint.h"

namespace vellomar {

// The balloon of a found file's description: width widest + 6 and one line height a line,
// its pointer 6 px long near its right end, joined to the middle of the reference cell (the
// description cell, or the row under the pointer when that cell is out of view). It hangs
// below the cell in the grid's upper half and stands above it in the lower half, moved right
// to stay 3 px inside the grid's left edge.
DescHintShape foundHintShape(const QRect& reference, int gridHeight, int widest, int lineHeight,
                             int lines);

}  // namespace vellomar

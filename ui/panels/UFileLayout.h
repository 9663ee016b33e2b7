#pragma once

#include <cstdint>
#include <optional>

namespace vellomar {

// Newspaper columns of the brief display: lines run down a column, then on in the next.
struct BriefLayout {
  int32_t rows = 1;
  int32_t cols = 1;

  // Line index of a cell and the cell of a line index.
  int32_t indexOf(int32_t col, int32_t row) const { return col * rows + row; }
  int32_t colOf(int32_t index) const { return index / rows; }
  int32_t rowOf(int32_t index) const { return index % rows; }
};

// As many rows as fit the grid's height (each row one grid line taller), at least one, and as
// many columns as the lines need, at least one; an empty list is one cell. When the columns
// overflow the width, a horizontal scroll bar takes its height from the rows.
BriefLayout LayoutBrief(int32_t lineCount, int32_t gridHeight, int32_t gridWidth, int32_t rowHeight,
                        int32_t nameWidth, int32_t scrollBarHeight);

enum class BriefKey { kUp, kDown, kLeft, kRight, kPageUp, kPageDown, kHome, kEnd };

struct BriefCell {
  int32_t col = 0;
  int32_t row = 0;
  friend bool operator==(const BriefCell&, const BriefCell&) = default;
};

// Where a movement key goes in a brief list of lineCount lines when the panel takes it over
// from the grid (between columns); none when the grid's own move applies.
std::optional<BriefCell> BriefKeyTarget(BriefKey key, BriefCell at, const BriefLayout& layout,
                                        int32_t lineCount);

}  // namespace vellomar

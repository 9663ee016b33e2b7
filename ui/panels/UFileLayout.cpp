#include "ui/panels/UFileLayout.h"

#include <algorithm>

namespace vellomar {

namespace {

// Spare height the layout falls back on when the grid has none yet.
constexpr int32_t kFallbackHeight = 50;

BriefLayout briefFor(int32_t lineCount, int32_t height, int32_t rowHeight) {
  BriefLayout layout;
  layout.rows = std::max(1, height / (rowHeight + 1));
  layout.cols = std::max(1, (lineCount + layout.rows - 1) / layout.rows);
  return layout;
}

}  // namespace

BriefLayout LayoutBrief(int32_t lineCount, int32_t gridHeight, int32_t gridWidth, int32_t rowHeight,
                        int32_t nameWidth, int32_t scrollBarHeight) {
  if (lineCount <= 0) return BriefLayout{};
  int32_t h = gridHeight - 1;
  if (h < 0) h = kFallbackHeight;
  BriefLayout layout = briefFor(lineCount, h, rowHeight);
  if (int64_t{layout.cols} * (nameWidth + 1) >= gridWidth) {
    h -= scrollBarHeight < 0 ? kFallbackHeight : scrollBarHeight;
    layout = briefFor(lineCount, h, rowHeight);
  }
  return layout;
}

std::optional<BriefCell> BriefKeyTarget(BriefKey key, BriefCell at, const BriefLayout& layout,
                                        int32_t lineCount) {
  if (lineCount <= 0) return std::nullopt;
  const int32_t last = lineCount - 1;
  const BriefCell lastCell{layout.colOf(last), layout.rowOf(last)};
  const bool lastRow = at.row == layout.rows - 1;
  const bool lastCol = at.col >= lastCell.col;
  const auto clampToList = [&](BriefCell cell) {
    return layout.indexOf(cell.col, cell.row) > last ? lastCell : cell;
  };
  switch (key) {
    case BriefKey::kDown:
      if (lastRow && !lastCol) return BriefCell{at.col + 1, 0};
      return std::nullopt;
    case BriefKey::kUp:
      if (at.row == 0 && at.col > 0) return BriefCell{at.col - 1, layout.rows - 1};
      return std::nullopt;
    case BriefKey::kPageDown:
      if (!lastRow) return std::nullopt;
      [[fallthrough]];
    case BriefKey::kRight:
      if (lastCol) return lastCell;
      return clampToList({at.col + 1, at.row});
    case BriefKey::kPageUp:
      if (at.row != 0) return std::nullopt;
      [[fallthrough]];
    case BriefKey::kLeft:
      if (at.col == 0) return BriefCell{0, 0};
      return BriefCell{at.col - 1, at.row};
    case BriefKey::kHome:
      return BriefCell{0, 0};
    case BriefKey::kEnd:
      return lastCell;
  }
  return std::nullopt;
}

}  // namespace vellomar

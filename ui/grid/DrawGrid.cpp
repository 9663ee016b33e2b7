#include "ui/grid/DrawGrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <QWheelEvent>

#include <algorithm>

namespace vellomar {

namespace {

constexpr int kSizingSlack = 3;  // pixels either side of a column line that grab it
constexpr int kMinColWidth = 2;
constexpr int kWheelRows = 3;
const QColor kGridLineColor(0xC0, 0xC0, 0xC0);

}  // namespace

DrawGrid::DrawGrid(QWidget* parent) : QAbstractScrollArea(parent) {
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  viewport()->setAutoFillBackground(false);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  colWidths_.assign(static_cast<size_t>(colCount_), defaultColWidth_);
  updateScrollBars();
}

void DrawGrid::setColCount(int n) {
  colCount_ = std::max(1, n);
  colWidths_.resize(static_cast<size_t>(colCount_), defaultColWidth_);
  clampCurrent();
}

void DrawGrid::setRowCount(int n) {
  rowCount_ = std::max(fixedRows_ + 1, n);
  clampCurrent();
}

void DrawGrid::setFixedRows(int n) {
  fixedRows_ = std::clamp(n, 0, rowCount_ - 1);
  clampCurrent();
}

void DrawGrid::setEmpty(bool on) {
  if (on == empty_) return;
  empty_ = on;
  viewport()->update();
}

void DrawGrid::setDefaultRowHeight(int h) {
  rowHeight_ = std::max(1, h);
  clampCurrent();
}

void DrawGrid::setDefaultColWidth(int w) {
  defaultColWidth_ = std::max(kMinColWidth, w);
  colWidths_.assign(static_cast<size_t>(colCount_), defaultColWidth_);
  clampCurrent();
}

int DrawGrid::colWidth(int col) const {
  return col >= 0 && col < colCount_ ? colWidths_[static_cast<size_t>(col)] : 0;
}

void DrawGrid::setColWidth(int col, int w) {
  if (col < 0 || col >= colCount_) return;
  colWidths_[static_cast<size_t>(col)] = std::max(kMinColWidth, w);
  clampCurrent();
}

void DrawGrid::setRowSelect(bool on) {
  rowSelect_ = on;
  viewport()->update();
}

void DrawGrid::setVertLines(bool on) {
  vertLines_ = on;
  viewport()->update();
}

void DrawGrid::setHorzLines(bool on) {
  horzLines_ = on;
  viewport()->update();
}

void DrawGrid::clampCurrent() {
  col_ = std::clamp(col_, 0, colCount_ - 1);
  row_ = std::clamp(row_, fixedRows_, rowCount_ - 1);
  topRow_ = std::clamp(topRow_, fixedRows_, maxTopRow());
  leftCol_ = std::clamp(leftCol_, 0, maxLeftCol());
  updateScrollBars();
  viewport()->update();
}

bool DrawGrid::selectCell(int col, int row) {
  if (col < 0 || col >= colCount_ || row < fixedRows_ || row >= rowCount_) return false;
  if (onSelectCell && !onSelectCell(col, row)) return false;
  if (rowSelect_ && row != row_) {
    invalidateRow(row_);
  } else {
    invalidateCell(col_, row_);
  }
  col_ = col;
  row_ = row;
  scrollIntoView(col, row);
  if (rowSelect_) {
    invalidateRow(row_);
  } else {
    invalidateCell(col_, row_);
  }
  return true;
}

bool DrawGrid::moveTo(int col, int row) {
  if (col == col_ && row == row_) {
    // A relayout may have scrolled the current cell away: it comes back into view.
    scrollIntoView(col, row);
    return true;
  }
  return selectCell(col, row);
}

void DrawGrid::setTopRow(int row) {
  const int top = std::clamp(row, fixedRows_, maxTopRow());
  if (top == topRow_) return;
  topRow_ = top;
  updateScrollBars();
  viewport()->update();
}

void DrawGrid::setLeftCol(int col) {
  const int left = std::clamp(col, 0, maxLeftCol());
  if (left == leftCol_) return;
  leftCol_ = left;
  updateScrollBars();
  viewport()->update();
}

int DrawGrid::visibleRowCount() const {
  const int free = viewport()->height() - fixedRows_ * (rowHeight_ + kGridLineWidth);
  return std::max(1, free / (rowHeight_ + kGridLineWidth));
}

int DrawGrid::visibleColCount() const {
  int x = 0;
  int n = 0;
  for (int c = leftCol_; c < colCount_; ++c) {
    x += colWidth(c) + kGridLineWidth;
    if (x > viewport()->width()) break;
    ++n;
  }
  return std::max(1, n);
}

int DrawGrid::maxTopRow() const {
  return std::max(fixedRows_, rowCount_ - visibleRowCount());
}

int DrawGrid::maxLeftCol() const {
  int x = 0;
  int c = colCount_;
  while (c > 0 && x + colWidth(c - 1) + kGridLineWidth <= viewport()->width()) {
    x += colWidth(c - 1) + kGridLineWidth;
    --c;
  }
  return std::min(c, colCount_ - 1);
}

int DrawGrid::colLeft(int col) const {
  int x = 0;
  for (int c = leftCol_; c < col; ++c) x += colWidth(c) + kGridLineWidth;
  return x;
}

int DrawGrid::rowTop(int row) const {
  const int step = rowHeight_ + kGridLineWidth;
  if (row < fixedRows_) return row * step;
  return fixedRows_ * step + (row - topRow_) * step;
}

QRect DrawGrid::cellRect(int col, int row) const {
  if (col < leftCol_ || col >= colCount_ || row < 0 || row >= rowCount_) return {};
  if (row >= fixedRows_ && row < topRow_) return {};
  const int x = colLeft(col);
  const int y = rowTop(row);
  if (x >= viewport()->width() || y >= viewport()->height()) return {};
  return QRect(x, y, colWidth(col), rowHeight_);
}

DrawGrid::Cell DrawGrid::cellAt(QPoint p) const {
  if (p.x() < 0 || p.y() < 0) return {};
  const int step = rowHeight_ + kGridLineWidth;
  int row = p.y() / step;
  if (row >= fixedRows_) row = topRow_ + (row - fixedRows_);
  if (row >= rowCount_) return {};
  int x = 0;
  for (int c = leftCol_; c < colCount_; ++c) {
    x += colWidth(c) + kGridLineWidth;
    if (p.x() < x) return {c, row};
  }
  return {};
}

void DrawGrid::invalidateCell(int col, int row) {
  const QRect r = cellRect(col, row);
  if (!r.isEmpty()) viewport()->update(r.adjusted(-1, -1, 1, 1));
}

void DrawGrid::invalidateRow(int row) {
  const QRect r = cellRect(leftCol_, row);
  if (!r.isEmpty()) viewport()->update(QRect(0, r.top() - 1, viewport()->width(), r.height() + 2));
}

void DrawGrid::scrollIntoView(int col, int row) {
  if (row >= fixedRows_) {
    if (row < topRow_) {
      setTopRow(row);
    } else if (row >= topRow_ + visibleRowCount()) {
      setTopRow(row - visibleRowCount() + 1);
    }
  }
  if (rowSelect_) return;
  if (col < leftCol_) {
    setLeftCol(col);
  } else {
    while (leftCol_ < col && colLeft(col) + colWidth(col) > viewport()->width()) {
      setLeftCol(leftCol_ + 1);
    }
  }
}

void DrawGrid::updateScrollBars() {
  syncingScrollBars_ = true;
  verticalScrollBar()->setRange(0, maxTopRow() - fixedRows_);
  verticalScrollBar()->setPageStep(visibleRowCount());
  verticalScrollBar()->setValue(topRow_ - fixedRows_);
  horizontalScrollBar()->setRange(0, maxLeftCol());
  horizontalScrollBar()->setPageStep(visibleColCount());
  horizontalScrollBar()->setValue(leftCol_);
  syncingScrollBars_ = false;
}

void DrawGrid::scrollContentsBy(int, int) {
  if (syncingScrollBars_) return;
  topRow_ = std::clamp(fixedRows_ + verticalScrollBar()->value(), fixedRows_, maxTopRow());
  leftCol_ = std::clamp(horizontalScrollBar()->value(), 0, maxLeftCol());
  viewport()->update();
}

QColor DrawGrid::cellBackground(GridDrawState state) const {
  if (state.fixed) return palette().color(QPalette::Button);
  if (state.selected) return palette().color(QPalette::Highlight);
  return palette().color(QPalette::Base);
}

QColor DrawGrid::cellTextColor(GridDrawState state) const {
  if (state.fixed) return palette().color(QPalette::ButtonText);
  if (state.selected) return palette().color(QPalette::HighlightedText);
  return palette().color(QPalette::Text);
}

void DrawGrid::paintCell(QPainter& p, int col, int row, const QRect& rect) {
  GridDrawState state;
  state.fixed = row < fixedRows_;
  state.selected = !state.fixed && !empty_ && row == row_ && (rowSelect_ || col == col_);
  state.focused = state.selected && col == col_ && hasFocus();
  p.fillRect(rect, cellBackground(state));
  if (onDrawCell) {
    p.save();
    p.setClipRect(rect);
    p.setPen(cellTextColor(state));
    p.setFont(font());
    onDrawCell(p, col, row, rect, state);
    p.restore();
  }
  p.setPen(kGridLineColor);
  if (vertLines_ || state.fixed)
    p.drawLine(rect.right() + 1, rect.top(), rect.right() + 1, rect.bottom() + 1);
  if (horzLines_ || state.fixed)
    p.drawLine(rect.left(), rect.bottom() + 1, rect.right() + 1, rect.bottom() + 1);
}

void DrawGrid::paintEvent(QPaintEvent* event) {
  QPainter p(viewport());
  const QRect area = event->rect();
  p.fillRect(area, palette().color(QPalette::Base));
  const int height = viewport()->height();
  const int width = viewport()->width();
  const auto paintRow = [&](int row) {
    const int y = rowTop(row);
    if (y > area.bottom() || y + rowHeight_ < area.top()) return;
    int x = 0;
    for (int c = leftCol_; c < colCount_ && x < width; ++c) {
      const QRect rect(x, y, colWidth(c), rowHeight_);
      if (rect.adjusted(0, 0, 1, 1).intersects(area)) paintCell(p, c, row, rect);
      x += colWidth(c) + kGridLineWidth;
    }
  };
  for (int r = 0; r < fixedRows_; ++r) paintRow(r);
  for (int r = topRow_; r < rowCount_ && rowTop(r) < height; ++r) paintRow(r);
  if (hasFocus() && !empty_) {
    QRect focus = cellRect(col_, row_);
    if (rowSelect_ && !focus.isEmpty())
      focus = QRect(0, focus.top(), colLeft(colCount_), focus.height());
    if (!focus.isEmpty()) {
      QStyleOptionFocusRect option;
      option.initFrom(this);
      option.rect = focus;
      option.backgroundColor = palette().color(QPalette::Highlight);
      style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
  }
}

void DrawGrid::keyPressEvent(QKeyEvent* event) {
  if (onKeyDown && onKeyDown(event)) {
    event->accept();
    return;
  }
  int c = col_;
  int r = row_;
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  switch (event->key()) {
    case Qt::Key_Up:
      --r;
      break;
    case Qt::Key_Down:
      ++r;
      break;
    case Qt::Key_Left:
      if (rowSelect_) {
        setLeftCol(leftCol_ - 1);
        event->accept();
        return;
      }
      --c;
      break;
    case Qt::Key_Right:
      if (rowSelect_) {
        setLeftCol(leftCol_ + 1);
        event->accept();
        return;
      }
      ++c;
      break;
    case Qt::Key_PageUp:
      r -= visibleRowCount();
      break;
    case Qt::Key_PageDown:
      r += visibleRowCount();
      break;
    case Qt::Key_Home:
      if (ctrl || rowSelect_) r = fixedRows_;
      if (!rowSelect_) c = 0;
      break;
    case Qt::Key_End:
      if (ctrl || rowSelect_) r = rowCount_ - 1;
      if (!rowSelect_) c = colCount_ - 1;
      break;
    default:
      QAbstractScrollArea::keyPressEvent(event);
      return;
  }
  moveTo(std::clamp(c, 0, colCount_ - 1), std::clamp(r, fixedRows_, rowCount_ - 1));
  event->accept();
}

int DrawGrid::sizingColumnAt(QPoint p) const {
  if (!colSizing_ || fixedRows_ == 0 || p.y() >= fixedRows_ * (rowHeight_ + kGridLineWidth)) {
    return -1;
  }
  int x = 0;
  for (int c = leftCol_; c < colCount_; ++c) {
    x += colWidth(c) + kGridLineWidth;
    if (std::abs(p.x() - x) <= kSizingSlack) return c;
    if (x > p.x() + kSizingSlack) break;
  }
  return -1;
}

void DrawGrid::mousePressEvent(QMouseEvent* event) {
  if (!hasFocus()) setFocus(Qt::MouseFocusReason);
  const QPoint pos = event->position().toPoint();
  if (event->button() == Qt::LeftButton) {
    const int sizing = sizingColumnAt(pos);
    if (sizing >= 0) {
      // A column is being resized: no cell is pressed.
      sizingCol_ = sizing;
      sizingStartX_ = pos.x();
      sizingStartWidth_ = colWidth(sizing);
      event->accept();
      return;
    }
  }
  // A right press moves too, so that the popup menu acts on the line under the pointer.
  if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
    const Cell cell = cellAt(pos);
    if (cell.valid() && cell.row >= fixedRows_) selectCell(cell.col, cell.row);
  }
  if (onMouseDown) onMouseDown(event->button(), event->modifiers(), pos);
  event->accept();
}

void DrawGrid::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (sizingCol_ >= 0) {
    setColWidth(sizingCol_, sizingStartWidth_ + pos.x() - sizingStartX_);
    return;
  }
  viewport()->setCursor(sizingColumnAt(pos) >= 0 ? Qt::SplitHCursor : Qt::ArrowCursor);
  if (onMouseMove) onMouseMove(pos);
}

void DrawGrid::mouseReleaseEvent(QMouseEvent* event) {
  sizingCol_ = -1;
  event->accept();
}

void DrawGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && sizingColumnAt(event->position().toPoint()) < 0 &&
      onDblClick) {
    onDblClick();
  }
  event->accept();
}

void DrawGrid::wheelEvent(QWheelEvent* event) {
  const int steps = event->angleDelta().y() / 120;
  if (steps == 0) return;
  if (maxTopRow() > fixedRows_) {
    setTopRow(topRow_ - steps * kWheelRows);
  } else {
    setLeftCol(leftCol_ - steps);
  }
  event->accept();
}

void DrawGrid::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  clampCurrent();
}

void DrawGrid::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  viewport()->update();
  if (onFocusIn) onFocusIn();
}

void DrawGrid::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  viewport()->update();
}

}  // namespace vellomar

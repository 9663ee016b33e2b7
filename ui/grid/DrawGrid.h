#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QPoint>
#include <QRect>

#include <functional>
#include <vector>

class QKeyEvent;
class QPainter;

namespace vellomar {

// How the grid sees a cell it asks the window to draw.
struct GridDrawState {
  bool selected = false;  // the grid's own current cell (its whole row with row selection)
  bool focused = false;   // the current cell while the grid has the keyboard focus
  bool fixed = false;     // a header cell
};

// A grid of owner-drawn cells with the event order the panels rely on: the key handler runs
// before the grid moves, a move can be vetoed, a mouse press first moves to the pressed cell
// and then reaches the handler. It keeps no data: every visible cell is drawn by onDrawCell,
// so a million rows cost no more than ten. Scrolling goes by whole cells, as the panels'
// column arithmetic expects; cells are separated by one-pixel grid lines.
class DrawGrid : public QAbstractScrollArea {
  Q_OBJECT

 public:
  static constexpr int kGridLineWidth = 1;

  struct Cell {
    int col = -1;
    int row = -1;
    bool valid() const { return col >= 0 && row >= 0; }
  };

  explicit DrawGrid(QWidget* parent = nullptr);

  int colCount() const { return colCount_; }
  int rowCount() const { return rowCount_; }
  int fixedRows() const { return fixedRows_; }
  // Each at least 1 (fixed rows at least one fewer than the rows); the current cell is kept
  // inside without a move event.
  void setColCount(int n);
  void setRowCount(int n);
  void setFixedRows(int n);
  // A grid that shows nothing still has its rows; it draws no current cell then.
  bool empty() const { return empty_; }
  void setEmpty(bool on);

  int defaultRowHeight() const { return rowHeight_; }
  void setDefaultRowHeight(int h);
  int defaultColWidth() const { return defaultColWidth_; }
  // Also resets every column to that width.
  void setDefaultColWidth(int w);
  int colWidth(int col) const;
  void setColWidth(int col, int w);

  // Row selection draws the current row as one selection; Left and Right then scroll.
  bool rowSelect() const { return rowSelect_; }
  void setRowSelect(bool on);
  // Dragging a column line in the header row resizes the column.
  void setColSizing(bool on) { colSizing_ = on; }
  void setVertLines(bool on);
  void setHorzLines(bool on);

  int col() const { return col_; }
  int row() const { return row_; }
  // Moves the current cell, through onSelectCell's veto, and scrolls it into view; false when
  // vetoed or outside the grid. The current cell itself is no move and asks nothing, but is
  // scrolled into view; a mouse press asks onSelectCell even for the current cell.
  bool moveTo(int col, int row);

  int topRow() const { return topRow_; }
  int leftCol() const { return leftCol_; }
  void setTopRow(int row);
  void setLeftCol(int col);
  // Rows below the header that fit wholly in the view (at least 1).
  int visibleRowCount() const;
  int visibleColCount() const;

  // Viewport coordinates of a cell, its grid lines excluded; empty when not in view.
  QRect cellRect(int col, int row) const;
  // The cell under a viewport point; invalid outside the cells.
  Cell cellAt(QPoint p) const;

  // Repaints one cell or one row only.
  void invalidateCell(int col, int row);
  void invalidateRow(int row);

  // The window's hooks. onKeyDown returns true when it consumed the key (the grid then does
  // nothing with it); it may change the current cell itself through moveTo.
  std::function<void(QPainter&, int col, int row, const QRect& rect, GridDrawState state)>
      onDrawCell;
  std::function<bool(int col, int row)> onSelectCell;
  std::function<bool(QKeyEvent* event)> onKeyDown;
  std::function<void(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos)>
      onMouseDown;
  std::function<void()> onDblClick;
  std::function<void(QPoint pos)> onMouseMove;
  std::function<void()> onFocusIn;

  // Colours the grid fills a cell with before onDrawCell, and the pen it leaves set.
  QColor cellBackground(GridDrawState state) const;
  QColor cellTextColor(GridDrawState state) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  // Left edge of a column in the view; meaningful only for columns from leftCol_ on.
  int colLeft(int col) const;
  int rowTop(int row) const;
  // The largest top row (left column) that still shows the last row (column) in full.
  int maxTopRow() const;
  int maxLeftCol() const;
  void scrollIntoView(int col, int row);
  void updateScrollBars();
  // The column whose right grid line lies within a few pixels of x in the header row, -1 none.
  int sizingColumnAt(QPoint p) const;
  void clampCurrent();
  bool selectCell(int col, int row);
  void paintCell(QPainter& p, int col, int row, const QRect& rect);

  int colCount_ = 5;
  int rowCount_ = 5;
  int fixedRows_ = 0;
  bool empty_ = false;
  int rowHeight_ = 24;
  int defaultColWidth_ = 64;
  std::vector<int> colWidths_;
  bool rowSelect_ = false;
  bool colSizing_ = false;
  bool vertLines_ = true;
  bool horzLines_ = true;
  int col_ = 0;
  int row_ = 0;
  int topRow_ = 0;
  int leftCol_ = 0;
  int sizingCol_ = -1;
  int sizingStartX_ = 0;
  int sizingStartWidth_ = 0;
  bool syncingScrollBars_ = false;
};

}  // namespace vellomar

#include "ui/grid/DrawGrid.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace vellomar {
namespace {

// A grid of 20 px rows with what its hooks saw.
class DrawGridTest : public ::testing::Test {
 protected:
  DrawGridTest() {
    grid.setDefaultRowHeight(19);  // 20 px a row with its grid line
    grid.setDefaultColWidth(49);   // 50 px a column
    grid.resize(300, 200);
    grid.onSelectCell = [this](int c, int r) {
      log.push_back("select " + std::to_string(c) + "," + std::to_string(r));
      return !(c == vetoCol && r == vetoRow);
    };
    grid.onMouseDown = [this](Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
      log.push_back("down at " + std::to_string(grid.col()) + "," + std::to_string(grid.row()));
    };
    grid.show();
  }

  // The centre of a cell in view.
  QPoint centre(int col, int row) const { return grid.cellRect(col, row).center(); }

  DrawGrid grid;
  std::vector<std::string> log;
  int vetoCol = -1;
  int vetoRow = -1;
};

TEST_F(DrawGridTest, KeysMoveTheCurrentCellUnlessTheHookTakesThem) {
  grid.setColCount(1);
  grid.setRowCount(100);
  grid.setRowSelect(true);
  struct Case {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int from;
    int to;
  };
  const int page = grid.visibleRowCount();
  const Case cases[] = {
      {Qt::Key_Down, Qt::NoModifier, 0, 1},
      {Qt::Key_Up, Qt::NoModifier, 0, 0},
      {Qt::Key_PageDown, Qt::NoModifier, 3, 3 + page},
      {Qt::Key_PageUp, Qt::NoModifier, 3, 0},
      {Qt::Key_End, Qt::NoModifier, 3, 99},
      {Qt::Key_Home, Qt::NoModifier, 50, 0},
      {Qt::Key_Down, Qt::NoModifier, 99, 99},
  };
  for (const Case& c : cases) {
    grid.moveTo(0, c.from);
    QTest::keyClick(&grid, c.key, c.modifiers);
    EXPECT_EQ(grid.row(), c.to) << "key " << c.key << " from " << c.from;
  }

  bool consumed = true;
  grid.onKeyDown = [&](QKeyEvent*) {
    log.push_back("key at " + std::to_string(grid.row()));
    return consumed;
  };
  grid.moveTo(0, 10);
  log.clear();
  QTest::keyClick(&grid, Qt::Key_Down);
  EXPECT_EQ(grid.row(), 10) << "a consumed key does not move the grid";
  consumed = false;
  QTest::keyClick(&grid, Qt::Key_Down);
  EXPECT_EQ(grid.row(), 11);
  EXPECT_EQ(log, (std::vector<std::string>{"key at 10", "key at 10", "select 0,11"}))
      << "the hook runs before the move";

  vetoCol = 0;
  vetoRow = 12;
  QTest::keyClick(&grid, Qt::Key_Down);
  EXPECT_EQ(grid.row(), 11) << "a vetoed move leaves the cell";
}

TEST_F(DrawGridTest, APressMovesFirstThenReachesTheHook) {
  grid.setColCount(3);
  grid.setRowCount(6);
  grid.setFixedRows(1);
  log.clear();
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, centre(2, 4));
  EXPECT_EQ(log, (std::vector<std::string>{"select 2,4", "down at 2,4"}));

  log.clear();
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, centre(2, 4));
  EXPECT_EQ(log, (std::vector<std::string>{"select 2,4", "down at 2,4"}))
      << "a press on the current cell still asks";

  log.clear();
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, centre(1, 0));
  EXPECT_EQ(log, (std::vector<std::string>{"down at 2,4"})) << "a header press moves nothing";

  vetoCol = 0;
  vetoRow = 2;
  log.clear();
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, centre(0, 2));
  EXPECT_EQ(log, (std::vector<std::string>{"select 0,2", "down at 2,4"}));

  int doubles = 0;
  grid.onDblClick = [&] { ++doubles; };
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, centre(1, 3));
  QTest::mouseDClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, centre(1, 3));
  EXPECT_EQ(doubles, 1);
  EXPECT_EQ(grid.row(), 3);
}

TEST_F(DrawGridTest, DrawsOnlyTheCellsInView) {
  grid.setColCount(2);
  grid.setRowCount(100000);
  std::set<int> rows;
  int calls = 0;
  grid.onDrawCell = [&](QPainter&, int, int row, const QRect&, GridDrawState) {
    rows.insert(row);
    ++calls;
  };
  grid.grab();
  EXPECT_LE(calls, 2 * (grid.visibleRowCount() + 1));
  EXPECT_EQ(*rows.begin(), 0);

  rows.clear();
  grid.moveTo(0, 99999);
  grid.grab();
  EXPECT_EQ(*rows.rbegin(), 99999) << "the current cell is scrolled into view";
  EXPECT_EQ(grid.topRow(), 100000 - grid.visibleRowCount());
  EXPECT_GT(*rows.begin(), 99000);
}

TEST_F(DrawGridTest, HitTestingFollowsTheHorizontalScroll) {
  grid.setColCount(20);
  grid.setRowCount(3);
  EXPECT_EQ(grid.cellAt(QPoint(5, 5)).col, 0);
  EXPECT_EQ(grid.cellAt(QPoint(55, 25)).col, 1);
  EXPECT_EQ(grid.cellAt(QPoint(55, 25)).row, 1);
  grid.setLeftCol(4);
  EXPECT_EQ(grid.cellAt(QPoint(5, 5)).col, 4);
  EXPECT_EQ(grid.cellRect(4, 0).left(), 0);
  EXPECT_TRUE(grid.cellRect(3, 0).isEmpty()) << "scrolled out of view";
  EXPECT_FALSE(grid.cellAt(QPoint(5, 3 * 20 + 5)).valid()) << "below the last row";

  grid.moveTo(19, 0);
  EXPECT_GE(grid.leftCol(), 20 - grid.visibleColCount());
  EXPECT_FALSE(grid.cellRect(19, 0).isEmpty());
  QTest::keyClick(&grid, Qt::Key_Home);
  EXPECT_EQ(grid.col(), 0);
  EXPECT_EQ(grid.leftCol(), 0);
}

TEST_F(DrawGridTest, DraggingAHeaderLineResizesTheColumnWithoutAPress) {
  grid.setColCount(3);
  grid.setRowCount(5);
  grid.setFixedRows(1);
  grid.setColSizing(true);
  log.clear();
  const QPoint line(50, 10);  // right grid line of column 0 in the header
  QTest::mousePress(grid.viewport(), Qt::LeftButton, Qt::NoModifier, line);
  QTest::mouseMove(grid.viewport(), QPoint(80, 10));
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(80, 10));
  EXPECT_EQ(grid.colWidth(0), 79);
  EXPECT_TRUE(log.empty()) << "resizing is no header click";
}

TEST_F(DrawGridTest, FewerRowsKeepTheCurrentCellInsideWithoutAMove) {
  grid.setColCount(1);
  grid.setRowCount(50);
  grid.moveTo(0, 40);
  log.clear();
  grid.setRowCount(10);
  EXPECT_EQ(grid.row(), 9);
  EXPECT_FALSE(grid.cellRect(0, 9).isEmpty()) << "and in view";
  EXPECT_TRUE(log.empty());
  grid.setRowCount(0);
  EXPECT_EQ(grid.rowCount(), 1) << "a grid keeps one row";
}

}  // namespace
}  // namespace vellomar

#include "ui/panels/UFileLayout.h"

#include <gtest/gtest.h>

#include "foundation/UBaseUtils.h"
#include "ui/panels/UDescHint.h"
#include "ui/panels/UFileTexts.h"

namespace vellomar {
namespace {

TEST(BriefLayout, RowsFitTheHeightAndColumnsTheLines) {
  struct Case {
    int32_t lines, height, width;
    int32_t rows, cols;
    const char* what;
  };
  // Rows of 15 px plus a grid line; 100 px names plus a grid line; a 17 px scroll bar.
  const Case cases[] = {
      {25, 161, 1000, 10, 3, "25 lines in rows of 10"},
      {0, 161, 1000, 1, 1, "an empty list is one cell"},
      {25, 161, 20, 8, 4, "narrower than one column: the scroll bar takes a row"},
      {25, 161, 0, 8, 4, "a grid of no width still has a column"},
      {3, 5, 1000, 1, 3, "lower than a row: one row"},
      {10, -7, 1000, 3, 4, "no height yet: 50 px are assumed"},
      {30, 161, 303, 8, 4, "three columns of 101 px reach the width: the rows shrink"},
  };
  for (const Case& c : cases) {
    const BriefLayout layout = LayoutBrief(c.lines, c.height, c.width, 15, 100, 17);
    EXPECT_EQ(layout.rows, c.rows) << c.what;
    EXPECT_EQ(layout.cols, c.cols) << c.what;
  }
}

TEST(BriefLayout, KeysMoveBetweenColumns) {
  const BriefLayout layout{10, 3};  // 25 lines: the last column holds rows 0..4
  const int32_t n = 25;
  struct Case {
    BriefKey key;
    BriefCell at;
    std::optional<BriefCell> to;
  };
  const Case cases[] = {
      {BriefKey::kDown, {0, 9}, BriefCell{1, 0}},     {BriefKey::kDown, {0, 3}, std::nullopt},
      {BriefKey::kDown, {2, 4}, std::nullopt},        {BriefKey::kUp, {1, 0}, BriefCell{0, 9}},
      {BriefKey::kUp, {0, 0}, std::nullopt},          {BriefKey::kRight, {0, 7}, BriefCell{1, 7}},
      {BriefKey::kRight, {1, 7}, BriefCell{2, 4}},    {BriefKey::kRight, {2, 1}, BriefCell{2, 4}},
      {BriefKey::kPageDown, {0, 9}, BriefCell{1, 9}}, {BriefKey::kPageDown, {0, 8}, std::nullopt},
      {BriefKey::kLeft, {2, 3}, BriefCell{1, 3}},     {BriefKey::kLeft, {0, 6}, BriefCell{0, 0}},
      {BriefKey::kPageUp, {1, 0}, BriefCell{0, 0}},   {BriefKey::kPageUp, {1, 5}, std::nullopt},
      {BriefKey::kHome, {2, 2}, BriefCell{0, 0}},     {BriefKey::kEnd, {0, 0}, BriefCell{2, 4}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BriefKeyTarget(c.key, c.at, layout, n), c.to)
        << "key " << static_cast<int>(c.key) << " at " << c.at.col << "," << c.at.row;
  }
  EXPECT_EQ(BriefKeyTarget(BriefKey::kEnd, {0, 0}, layout, 0), std::nullopt);
  EXPECT_EQ(layout.indexOf(2, 4), 24);
}

TEST(FileTexts, SizesAboveTwoGigabytesAreNotNegative) {
  KiloUnit = 1024;
  EXPECT_EQ(FormatFileSize(static_cast<int32_t>(3'000'000'000U), false).str(), "3 000 000 000");
  EXPECT_EQ(FormatFileSize(static_cast<int32_t>(3'221'225'472U), true).str(), "3.00 GB");
  EXPECT_EQ(FormatFileSize(1234567, false).str(), FormatSizeShort(1234567, false).str());

  TOneFile folder;
  folder.Name = "docs";
  folder.Data.Attr = kAttrFolder;
  TOneFile parent;
  parent.Name = "..";
  parent.Data.Attr = kAttrFolder;
  TFileLines lines;
  EXPECT_EQ(SizeCellText(lines.add(folder), true).str(), "(folder)");
  EXPECT_EQ(SizeCellText(lines.add(parent), true).str(), "");
  EXPECT_EQ(DateTimeText(0, true).str(), "");
}

TEST(FileTexts, HintLinesInBriefAndDetailedDisplay) {
  TOneFile file;
  file.Name = "report";
  file.Data.Ext = ".doc";
  file.Data.Size = 2048;
  file.Data.DateTime = static_cast<int32_t>(EncodeDosDateTime({2003, 3, 14, 9, 5, 6}));
  TFileLines lines;
  const TOneFileLine line = lines.add(file);
  const std::string when = DateTimeText(file.Data.DateTime, false).str();
  EXPECT_EQ(DescHintLines(line, true, "", false, false),
            (std::vector<std::string>{"report.doc", "2 048", when}));
  EXPECT_EQ(DescHintLines(line, true, "notes", false, false),
            (std::vector<std::string>{"report.doc", "2 048", when, "notes"}));
  EXPECT_TRUE(DescHintLines(line, false, "", false, false).empty())
      << "detailed display without a description shows no bubble";
  EXPECT_EQ(DescHintLines(line, false, "notes", false, false), (std::vector<std::string>{"notes"}));
  file.Data.DateTime = 0;
  EXPECT_EQ(DescHintLines(lines.add(file), true, "", false, false).size(), 2U);
  file.Data.Attr = kAttrFolder;
  EXPECT_TRUE(DescHintLines(lines.add(file), true, "notes", false, false).empty());
}

TEST(DescHint, BubbleStaysInsideAndOpensAwayFromTheNearerEdge) {
  const QSize grid(400, 300);
  // Upper left: below the cell, pointer up, body to the right of the middle.
  DescHintShape s = PlaceDescHint(QRect(0, 20, 100, 15), grid, 80, 13, 2);
  EXPECT_EQ(s.body, QRect(39, 38, 86, 2 * 13 + 2));
  EXPECT_EQ(s.tip, QPoint(50, 32));
  EXPECT_EQ(s.base1, QPoint(44, 38));
  EXPECT_EQ(s.base2, QPoint(56, 38));
  EXPECT_EQ(s.textOrigin(1, 13), QPoint(42, 52));

  // Left half, but a wide text would run past the right edge: it ends 3 px inside.
  s = PlaceDescHint(QRect(100, 20, 180, 15), grid, 300, 13, 1);
  EXPECT_EQ(s.body.left() + s.body.width(), grid.width() - 3);
  EXPECT_EQ(s.tip.x(), s.body.left() + 11);

  // Lower right: above the cell, pointer down, body to the left of the middle.
  s = PlaceDescHint(QRect(300, 200, 100, 15), grid, 80, 13, 3);
  EXPECT_EQ(s.body, QRect(275, 200 - 39 - 5, 86, 39 + 2));
  EXPECT_EQ(s.tip, QPoint(350, 202));
  EXPECT_EQ(s.base2, QPoint(356, 196));

  // Right half with a text wider than the room on the left: it starts at 3.
  s = PlaceDescHint(QRect(200, 200, 20, 15), grid, 350, 13, 1);
  EXPECT_EQ(s.body.left(), 3);
}

}  // namespace
}  // namespace vellomar

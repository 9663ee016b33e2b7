#include <gtest/gtest.h>

#include <string>

#include "engine/api/ULocalOptions.h"
#include "ui/dbsettings/UDescFileTable.h"

namespace vellomar {
namespace {

std::vector<std::string> masksOf(const DescFileTable& table) {
  std::vector<std::string> masks;
  for (int i = 0; i < DescFileTable::kRows; ++i) masks.push_back(table.Row(i).Mask);
  while (!masks.empty() && masks.back().empty()) masks.pop_back();
  return masks;
}

TEST(DescFileTable, TheDefaultTableReadsAndWritesBackUnchanged) {
  DescFileTable table;
  table.Parse(kDefaultDescFileTable);
  EXPECT_EQ(masksOf(table), (std::vector<std::string>{"*.txt", "*.doc", "*.wri", "*.htm", "*.html",
                                                      "*.rtf", "*.mp3"}));
  EXPECT_EQ(table.Row(0), (DescFileRow{"*.txt", "500", ""}));
  EXPECT_EQ(table.Row(1), (DescFileRow{"*.doc", "1000", "Uni"}));
  const DescFileTable::Built built = table.Build();
  EXPECT_EQ(built.Text, kDefaultDescFileTable);
  EXPECT_TRUE(built.Dropped.empty());
}

TEST(DescFileTable, CountsBelowAHundredAreThousandsAndOtherTextStaysAsStored) {
  DescFileTable table;
  table.Parse("*.a|5||*.b|many|F|*.c|0|x|*.d");
  EXPECT_EQ(table.Row(0).Bytes, "5000");
  EXPECT_EQ(table.Row(1).Bytes, "many");
  EXPECT_EQ(table.Row(2).Bytes, "0");
  EXPECT_EQ(table.Row(3), (DescFileRow{"*.d", "", ""})) << "a last triple cut short";
  EXPECT_EQ(table.Build().Text, "*.a|5000||*.b|many|F|*.c|0|x|*.d|||");
}

TEST(DescFileTable, ATableTooLongForItsFieldDropsWholeRowsAndNamesThem) {
  DescFileTable table;
  for (int i = 0; i < DescFileTable::kRows; ++i) {
    table.SetRow(i, {std::to_string(i) + std::string(300, 'm'), "500", "Filter"});
  }
  const DescFileTable::Built built = table.Build();
  EXPECT_LE(built.Text.size(), DescFileTable::kMaxText);
  EXPECT_EQ(built.Dropped.size(), 22u) << "8 rows of 255 bytes fit";
  EXPECT_EQ(built.Dropped.front(), "8" + std::string(300, 'm'));
  DescFileTable back;
  back.Parse(built.Text);
  EXPECT_EQ(back.Row(7).Bytes, "500") << "rows cut in their masks keep their fields";
  EXPECT_EQ(back.Row(7).Filter, "Filter");
  EXPECT_EQ(back.Row(7).Mask.size() + std::string("|500|Filter|").size(), 255u);
}

TEST(DescFileTable, AddDeleteAndMove) {
  DescFileTable table;
  for (int i = 0; i < 7; ++i) table.SetRow(i, {"m" + std::to_string(i + 1), "500", ""});
  ASSERT_TRUE(table.Add(2, {"new", "700", "Uni"}));
  EXPECT_EQ(masksOf(table),
            (std::vector<std::string>{"m1", "m2", "new", "m3", "m4", "m5", "m6", "m7"}));
  ASSERT_TRUE(table.Add(20, {"tail", "100", ""}));
  EXPECT_EQ(table.Row(8).Mask, "tail") << "the first empty row above the cursor";
  table.Delete(0);
  EXPECT_EQ(masksOf(table),
            (std::vector<std::string>{"m2", "new", "m3", "m4", "m5", "m6", "m7", "tail"}));
  table.Move(7, 0);
  EXPECT_EQ(masksOf(table),
            (std::vector<std::string>{"tail", "m2", "new", "m3", "m4", "m5", "m6", "m7"}));

  DescFileTable full;
  for (int i = 0; i < DescFileTable::kRows; ++i) full.SetRow(i, {"x", "1", ""});
  EXPECT_FALSE(full.Add(3, {"no room", "1", ""}));
  EXPECT_EQ(full.Row(3).Mask, "x");
}

}  // namespace
}  // namespace vellomar

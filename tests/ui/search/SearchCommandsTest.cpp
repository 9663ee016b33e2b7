#include "ui/search/USearchCommands.h"

#include <gtest/gtest.h>

namespace vellomar {
namespace {

TEST(SearchCommands, CaptionCutAfter26Characters) {
  EXPECT_EQ(foundWindowCaption("*.txt", "Disks"), "*.txt: Disks");
  const std::string caption = foundWindowCaption("abcdefghijklmnopqrst", "123456789012345");
  EXPECT_EQ(caption, "abcdefghijklmnopqrst: 1234 ...");
  EXPECT_EQ(caption.size(), 30u);
  EXPECT_EQ(foundWindowCaption("abcdefghijklmnopqrst", "12345678"),
            "abcdefghijklmnopqrst: 12345678")
      << "30 characters stay whole";
  // Characters, not bytes: "é" counts one and is never cut in two.
  std::string accents;
  for (int i = 0; i < 30; ++i) accents += "é";
  EXPECT_EQ(foundWindowCaption(accents, "x"), accents.substr(0, 52) + " ...");
}

TEST(SearchCommands, SelectedFilesMaskQuotesBlanksAndStopsAt254) {
  EXPECT_EQ(selectedFilesMask({"a.txt", "my file.doc", "a.txt"}).Mask,
            "a.txt \"my file.doc\" a.txt ");
  const std::string name(126, 'n');
  const TSelectedFilesMask full = selectedFilesMask({name, name, "x"});
  EXPECT_TRUE(full.Incomplete);
  EXPECT_EQ(full.Mask, name + " " + name + " ");
  EXPECT_FALSE(selectedFilesMask({std::string(253, 'n')}).Incomplete);
  EXPECT_TRUE(selectedFilesMask({std::string(254, 'n')}).Incomplete);
}

TEST(SearchCommands, PresetsKeepWhatTheyDoNotSet) {
  TSearchDlgData data;
  data.DiskNames = true;
  data.StrictMask = true;
  data.SortKey1 = FoundSortKey::kSize;
  data.Descriptions = true;
  data.MoreOptionsActive = true;
  presetFindSelectedFiles(data, "a.txt ");
  EXPECT_EQ(data.Mask.str(), "a.txt ");
  EXPECT_EQ(data.MaxRecs, 10000);
  EXPECT_TRUE(data.DiskNames);
  EXPECT_TRUE(data.StrictMask);
  EXPECT_EQ(data.SortKey1, FoundSortKey::kSize);
  EXPECT_FALSE(data.Descriptions);
  EXPECT_FALSE(data.MoreOptionsActive);
  EXPECT_EQ(data.ScanDirLevel, -1);

  presetFindFileName(data, "readme.txt");
  EXPECT_EQ(data.MaxRecs, 1000);
  EXPECT_EQ(data.SortKey1, FoundSortKey::kNameExt);
  EXPECT_EQ(data.SortKey2, FoundSortKey::kDateTime);
  EXPECT_EQ(data.SortKey3, FoundSortKey::kDiskFolder);
}

}  // namespace
}  // namespace vellomar

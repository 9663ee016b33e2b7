#include "ui/search/USearchRequest.h"

#include <gtest/gtest.h>

#include "foundation/UBaseUtils.h"

namespace vellomar {
namespace {

using std::chrono::day;
using std::chrono::month;
using std::chrono::year;

TEST(SearchRequest, EnablingRulesOfTheMaskText) {
  const struct {
    const char* mask;
    bool partsOfWords;
    bool phrase;
  } cases[] = {
      {"", false, false},      {"readme", true, false},        {"*.txt", false, false},
      {"red car", true, true}, {"\"red car\" x", true, false}, {"*.txt red", false, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(partsOfWordsEnabled(c.mask), c.partsOfWords) << c.mask;
    EXPECT_EQ(phraseEnabled(c.mask), c.phrase) << c.mask;
  }
}

TEST(SearchRequest, DisabledBoxesGiveZeroButKeepTheirTick) {
  TSearchDlgControls search;
  search.MaskText = "*.txt";
  search.AddWildcards = true;
  search.Phrase = true;
  const TSearchDlgData data = ControlsToDlgData(search, {}, {});
  EXPECT_FALSE(data.AddWildcards);
  EXPECT_FALSE(data.Phrase);
  EXPECT_TRUE(search.AddWildcards);
}

TEST(SearchRequest, MoreOptionsOnlyWhenAskedFor) {
  TSearchDlgControls search;
  search.MaskText = "report";
  TMoreOptionsControls more;
  more.ExcludeText = "*.bak";
  more.DirMaskText = "docs";
  more.Key1 = 3;
  more.Key2 = 0;
  more.Key3 = 4;
  more.SearchAsAnsi = false;
  more.SearchAsOem = true;
  const TMoreOptionsLimits limits{0x28210000u, 0x28220000u, 1024, 2048};

  const TSearchDlgData without = ControlsToDlgData(search, more, limits);
  TSearchDlgData defaults;
  ResetMoreOptions(defaults);
  EXPECT_FALSE(without.UseMoreOptions);
  EXPECT_FALSE(without.MoreOptionsActive);
  EXPECT_TRUE(without.ExcludeMask.empty());
  EXPECT_TRUE(without.DirMask.empty());
  EXPECT_EQ(without.DateFrom, 0u);
  EXPECT_EQ(without.SizeTo, 0u);
  EXPECT_EQ(without.SortKey1, defaults.SortKey1);
  EXPECT_EQ(without.SortKey2, defaults.SortKey2);
  EXPECT_EQ(without.SortKey3, defaults.SortKey3);
  EXPECT_TRUE(without.SearchAsAnsi);
  EXPECT_FALSE(without.SearchAsOem);

  search.UseMoreOptions = true;
  const TSearchDlgData with = ControlsToDlgData(search, more, limits);
  EXPECT_TRUE(with.MoreOptionsActive);
  EXPECT_EQ(with.ExcludeMask.str(), "*.bak");
  EXPECT_EQ(with.DirMask.str(), "docs");
  EXPECT_EQ(with.DateFrom, 0x28210000u);
  EXPECT_EQ(with.DateTo, 0x28220000u);
  EXPECT_EQ(with.SizeFrom, 1024u);
  EXPECT_EQ(with.SizeTo, 2048u);
  EXPECT_EQ(with.SortKey1, FoundSortKey::kSize);
  EXPECT_EQ(with.SortKey2, FoundSortKey::kNameExt);
  EXPECT_EQ(with.SortKey3, FoundSortKey::kDiskFolder);
  EXPECT_FALSE(with.SearchAsAnsi);
  EXPECT_TRUE(with.SearchAsOem);

  // A folder mask alone puts no limit in force.
  more.ExcludeText.clear();
  const TSearchDlgData folderOnly = ControlsToDlgData(search, more, {});
  EXPECT_FALSE(folderOnly.MoreOptionsActive);
  EXPECT_EQ(folderOnly.DirMask.str(), "docs");
}

TEST(SearchRequest, LimitsOfTheTickedBoxes) {
  TMoreOptionsControls more;
  more.SizeFromKB = 1;
  more.SizeToKB = kMaxSizeLimitKB;
  const SearchDate from(year(1979), month(6), day(1));
  const SearchDate to(year(2000), month(1), day(31));
  EXPECT_EQ(limitsOf(more, from, to).DateTo, 0u);

  more.DateFromChecked = more.DateToChecked = more.SizeFromChecked = more.SizeToChecked = true;
  const TMoreOptionsLimits limits = limitsOf(more, from, to);
  EXPECT_EQ(limits.DateFrom, 0u) << "1979 is no limit";
  EXPECT_EQ(limits.DateTo, EncodeDosDateTime({2000, 2, 1, 0, 0, 0}));
  EXPECT_EQ(limits.SizeFrom, 1024u);
  EXPECT_EQ(limits.SizeTo, 0xFFFFFC00u) << "the largest size fits the 32 bits";
}

TEST(SearchRequest, SizeSpinsTickTheirBoxLeaveTheOtherAloneAndStayInRange) {
  TMoreOptionsControls more;
  sizeFromChanged(more, 1000);
  sizeToChanged(more, 2000);
  EXPECT_TRUE(more.SizeToChecked && more.SizeFromChecked);
  for (const int32_t typed : {1, 11, 110, 1100}) sizeToChanged(more, typed);
  EXPECT_EQ(more.SizeFromKB, 1000) << "typing into To: leaves From: as it was";
  EXPECT_EQ(more.SizeToKB, 1100);
  for (const int32_t typed : {5, 50, 500}) sizeFromChanged(more, typed);
  EXPECT_EQ(more.SizeToKB, 1100);
  sizeFromChanged(more, -5);
  EXPECT_EQ(more.SizeFromKB, 0);
  sizeToChanged(more, 5000000);
  EXPECT_EQ(more.SizeToKB, kMaxSizeLimitKB);
}

TEST(SearchRequest, ControlsSurviveARoundTripThroughTheRecord) {
  TSearchDlgControls search;
  search.MaskText = "\"red car\" blue";
  search.AddWildcards = true;
  search.CaseSensitive = true;
  search.StrictMask = true;
  search.SearchIn = 3;
  search.DiskNames = false;
  search.Descriptions = false;
  search.DirLevelIndex = 10;
  search.MaxRecs = 50000;
  search.UseMoreOptions = true;
  TSearchDlgControls back;
  DlgDataToControls(ControlsToDlgData(search, {}, {}), back);
  EXPECT_EQ(back, search);
  EXPECT_EQ(ControlsToDlgData(search, {}, {}).ScanDirLevel, 9);

  search.DirLevelIndex = -1;
  EXPECT_EQ(ControlsToDlgData(search, {}, {}).ScanDirLevel, -1) << "no depth chosen";
}

TEST(SearchRequest, HistoryTakesNewTextsOnTop) {
  std::vector<std::string> history{"b", "a"};
  addToHistory(history, "a");
  addToHistory(history, "A");
  EXPECT_EQ(history, (std::vector<std::string>{"A", "b", "a"}));
}

TEST(SearchRequest, OemOffTicksAnsiAgain) {
  TMoreOptionsControls more;
  more.SearchAsAnsi = false;
  more.SearchAsOem = true;
  keepOneCodePage(more);
  EXPECT_FALSE(more.SearchAsAnsi);
  more.SearchAsOem = false;
  keepOneCodePage(more);
  EXPECT_TRUE(more.SearchAsAnsi);
}

}  // namespace
}  // namespace vellomar

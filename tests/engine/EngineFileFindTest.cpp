#include "engine/UEngineFileFind.h"

#include <gtest/gtest.h>

#include "tests/support/SearchFixtures.h"

namespace vellomar {
namespace {

using testing::dosDateTime;

TOneFile fileLine(std::string_view name, std::string_view ext, uint32_t dateTime, uint32_t size) {
  TOneFile line;
  line.Name = name;
  line.Data.Ext = ext;
  line.Data.DateTime = static_cast<int32_t>(dateTime);
  line.Data.Size = static_cast<int32_t>(size);
  return line;
}

bool passes(const TSearchDlgData& request, const TItemCollection<TMaskItem>& masks,
            const TOneFile& line) {
  return PassesSearchLimits(request, masks, line.Data, line.Name.view());
}

TEST(SearchLimitsTest, DatesSizesAndExclusionsBoundTheHits) {
  TSearchDlgData request;
  request.DateFrom = dosDateTime(2020, 3, 1);
  request.DateTo = dosDateTime(2020, 3, 2);  // the whole of 1 March
  TItemCollection<TMaskItem> none(30, 100);
  struct Case {
    uint32_t dateTime;
    bool admitted;
  };
  const Case cases[] = {
      {dosDateTime(2020, 2, 29, 23, 59, 58), false},
      {dosDateTime(2020, 3, 1), true},
      {dosDateTime(2020, 3, 1, 23, 59, 58), true},
      {dosDateTime(2020, 3, 2), false},  // midnight after the last day
  };
  for (const Case& c : cases) {
    EXPECT_EQ(passes(request, none, fileLine("a", ".txt", c.dateTime, 1)), c.admitted)
        << std::hex << c.dateTime;
  }
}

TEST(SearchLimitsTest, LateDatesAndLargeSizesCompareUnsigned) {
  TSearchDlgData request;
  request.DateFrom = dosDateTime(2000, 1, 1);
  request.SizeFrom = 1024;
  TItemCollection<TMaskItem> none(30, 100);
  // From 2044 on the top bit is set; a signed test would put the file before 1980.
  EXPECT_TRUE(passes(request, none, fileLine("a", "", dosDateTime(2050, 6, 1), 5000)));
  // 3 GiB is stored with the top bit set.
  EXPECT_TRUE(passes(request, none, fileLine("a", "", dosDateTime(2001, 1, 1), 0xC0000000u)));
  request.SizeTo = 2048;
  EXPECT_FALSE(passes(request, none, fileLine("a", "", dosDateTime(2001, 1, 1), 0xC0000000u)));
  EXPECT_TRUE(passes(request, none, fileLine("a", "", dosDateTime(2001, 1, 1), 2048)));
}

TEST(SearchLimitsTest, ExclusionMasksTestNameWithExtensionIgnoringCase) {
  TSearchDlgData request;
  TItemCollection<TMaskItem> masks(30, 100);
  testing::plainMasks("*.BAK tmp*", masks);
  EXPECT_FALSE(passes(request, masks, fileLine("Report", ".bak", 0, 0)));
  EXPECT_FALSE(passes(request, masks, fileLine("TMP01", ".doc", 0, 0)));
  EXPECT_TRUE(passes(request, masks, fileLine("report", ".doc", 0, 0)));
}

TEST(DiskInScopeTest, ScopesAdmitLiveKeysOnly) {
  TKeyField keys;
  keys.Keys = {{kKeySelected, 100}, {0, 200}, {kKeyDeleted | kKeySelected, 300}};
  keys.LiveCount = 2;
  keys.CurrentIndex = 1;
  struct Case {
    SearchScope scope;
    bool admitted[3];
  };
  const Case cases[] = {
      {SearchScope::kWholeDatabase, {true, true, false}},
      {SearchScope::kCurrentDisk, {false, true, false}},
      {SearchScope::kSelectedDisks, {true, false, false}},
      {SearchScope::kNotSelectedDisks, {false, true, false}},
  };
  for (const Case& c : cases) {
    for (int32_t i = 0; i < 3; ++i) {
      EXPECT_EQ(DiskInScope(keys, i, c.scope), c.admitted[i])
          << static_cast<int>(c.scope) << " key " << i;
    }
  }
  keys.CurrentIndex = 2;  // a deleted disk shown as current is still not searched
  EXPECT_FALSE(DiskInScope(keys, 2, SearchScope::kCurrentDisk));
}

}  // namespace
}  // namespace vellomar

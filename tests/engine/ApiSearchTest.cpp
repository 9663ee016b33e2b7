#include "engine/api/UApiSearch.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/UDBase.h"
#include "engine/api/UApi.h"
#include "engine/api/UApiGlobals.h"
#include "foundation/UBaseUtils.h"
#include "tests/support/CatalogueBuilder.h"
#include "tests/support/SearchCatalogue.h"
#include "tests/support/SearchFixtures.h"

namespace vellomar {
namespace {

using testing::TestCatalogue;
using Texts = std::vector<std::string>;

Texts calls;

// Disk "Photos": \ {lake.jpg described "summer at the lake", trip\ {}}; disk "Music": empty.
class ApiSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    const int32_t desc = testing::addDescription(c, "summer at the lake");
    TDirCollection& root = c.newDisk("Photos");
    TestCatalogue::addFolder(root, "trip");
    c.setFiles(root, {{"lake.jpg", 4096, 0x12345678, 0x20, desc}});
    c.saveDisk();
    c.newDisk("Music");
    c.saveDisk();
    c.trees.Current.reset();
  }

  TestCatalogue c;
  TDBase* h = &c.handle;
};

TEST_F(ApiSearch, FoundItemsReachTheCallerCutToItsCapacities) {
  TSearchDlgData request = testing::fileNameRequest("LAKE");
  request.AddWildcards = true;
  vellomar::ApiSearch(h, request);
  ASSERT_EQ(ApiFoundCount(h), 1);
  EXPECT_TRUE(ApiAnyFound(h));
  TOneFile record;
  record.SubDir = reinterpret_cast<TDirCollection*>(&calls);  // must come back null
  ShortString disk, folder, desc;
  ASSERT_TRUE(ApiGetFoundItem(h, 0, record, disk, folder, desc, 3, 255, 6));
  EXPECT_EQ(disk.str(), "Pho");
  EXPECT_EQ(folder.str(), "\\");
  EXPECT_EQ(desc.str(), "summer");
  EXPECT_EQ(record.SubDir, nullptr);
  EXPECT_EQ(record.Name.str(), "lake");
  EXPECT_EQ(std::string(record.Data.Ext.view()), ".jpg");
  EXPECT_EQ(record.Data.Size, 4096);
  EXPECT_EQ(record.Data.DateTime, 0x12345678);
  EXPECT_EQ(record.Data.Attr, 0x20);
  EXPECT_NE(record.Data.DescOffset, 0);
  EXPECT_NE(record.EntryOffset, 0);

  // Past the end: false, and nothing the caller holds changes.
  const TOneFile before = record;
  EXPECT_FALSE(ApiGetFoundItem(h, 1, record, disk, folder, desc));
  EXPECT_FALSE(ApiGetFoundItem(h, -1, record, disk, folder, desc));
  EXPECT_EQ(record, before);
  EXPECT_EQ(disk.str(), "Pho");

  int32_t percent = -1, disks = -1, folders = -1, files = -1;
  ApiGetSearchCounts(h, percent, disks, folders, files);
  EXPECT_EQ(percent, 100);
  EXPECT_EQ(disks, 2);
  EXPECT_EQ(folders, 3);
  ApiClearFound(h);
  EXPECT_FALSE(ApiAnyFound(h));
}

// Every item's view holds what ApiGetFoundItem gives at full capacity, a folder path longer
// than 255 bytes cut to its tail as well; the items of one folder view one path.
TEST(ApiSearchView, ViewsAgreeWithTheItemsCopied) {
  TestCatalogue c;
  TDirCollection* folder = &c.newDisk("Deep");
  for (const char letter : std::string("abcde")) {
    folder = &TestCatalogue::addFolder(*folder, std::string(60, letter));
  }
  const int32_t desc = testing::addDescription(c, "down here");
  c.setFiles(*folder, {{"bottom.txt", 9, 0x2345, 0x20, desc}, {"other.txt", 3, 0, 0x20, 0}});
  c.saveDisk();
  c.trees.Current.reset();
  TDBase* h = &c.handle;
  vellomar::ApiSearch(h, testing::fileNameRequest("*.txt"));
  ASSERT_EQ(ApiFoundCount(h), 2);
  std::string firstPath;
  for (int32_t i = 0; i < 2; ++i) {
    TFoundItemView view;
    ASSERT_TRUE(ApiViewFoundItem(h, i, view));
    TOneFile record;
    ShortString disk, path, text;
    ASSERT_TRUE(ApiGetFoundItem(h, i, record, disk, path, text));
    EXPECT_EQ(view.Name, record.Name.view());
    EXPECT_EQ(view.Data, record.Data);
    EXPECT_EQ(view.EntryOffset, record.EntryOffset);
    EXPECT_EQ(view.DiskName, disk.view());
    EXPECT_EQ(view.FolderPath, path.view());
    EXPECT_EQ(view.ShortDesc, text.view());
    EXPECT_TRUE(view.FolderPath.starts_with(kCutPathMarker)) << view.FolderPath;
    if (i == 0) firstPath = view.FolderPath;
    EXPECT_EQ(view.FolderPath, firstPath);
  }
  TFoundItemView view;
  view.Name = "kept";
  EXPECT_FALSE(ApiViewFoundItem(h, 2, view));
  EXPECT_EQ(view.Name, "kept");
}

TEST_F(ApiSearch, FreeSpaceFillsTheFoundList) {
  ApiSearchFreeSpace(h);
  EXPECT_EQ(ApiFoundCount(h), 2);
  ApiFreeFound(h);
  EXPECT_EQ(ApiFoundCount(h), 0);
}

TEST_F(ApiSearch, CountsOfAnEmptyDatabaseDivideByNothing) {
  TestCatalogue empty;
  vellomar::ApiSearch(&empty.handle, testing::fileNameRequest("*"));
  int32_t percent = -1, disks = -1, folders = -1, files = -1;
  ApiGetSearchCounts(&empty.handle, percent, disks, folders, files);
  EXPECT_EQ(percent, 0);
  EXPECT_EQ(disks, 0);
  int32_t longest = -1, average = -1, widest = -1;
  ApiIterateDisks(&empty.handle, 3, 0);
  ApiGetScanCounts(&empty.handle, longest, average, widest);
  EXPECT_EQ(longest, 0);
  EXPECT_EQ(average, 0);
  EXPECT_EQ(widest, 0);
}

TEST_F(ApiSearch, WalkCallbacksAreInstalledAndResetInOrder) {
  ApiSetExportCallbacks(
      h, nullptr, [] { calls.push_back("db+"); }, [] { calls.push_back("db-"); },
      [] { calls.push_back("disk+"); }, [] { calls.push_back("disk-"); }, nullptr, nullptr,
      [] { calls.push_back("file " + FileData.Name.str()); });
  h->keyTable().keys().CurrentIndex = 1;  // Photos sorts after Music
  ApiIterateDisks(h, 1, 2);
  EXPECT_EQ(calls, (Texts{"db+", "disk+", "file trip", "file lake", "disk-", "db-"}));
  int32_t longest = 0, average = 0, widest = 0;
  ApiGetScanCounts(h, longest, average, widest);
  EXPECT_EQ(longest, 4);
  EXPECT_EQ(average, (4 + 4 + 2) / 3);  // trip, lake and the ".." line of trip
  EXPECT_EQ(widest, 4);
  ApiResetExportCallbacks(h);
  calls.clear();
  ApiIterateDisks(h, 1, 2);
  EXPECT_TRUE(calls.empty());

  ApiSetPrintCallbacks(
      h, nullptr, [](const ShortString& n) { calls.push_back(n.str()); }, nullptr, nullptr,
      nullptr);
  ApiIterateDisks(h, 1, 1);
  EXPECT_EQ(calls, (Texts{"Photos"}));
  ApiResetPrintCallbacks(h);
}

TEST_F(ApiSearch, NullHandlesRaiseBeforeAnythingIsDone) {
  h->DamageCounter = 5;
  const uint32_t size = h->Stream.GetSize();
  TOneFile record;
  ShortString s;
  int32_t a = 0, b = 0, d = 0, e = 0;
  const std::vector<std::function<void()>> raising = {
      [] { vellomar::ApiSearch(nullptr, TSearchDlgData{}); },
      [] { ApiFoundCount(nullptr); },
      [&] { ApiGetFoundItem(nullptr, 0, record, s, s, s); },
      [&] { ApiGetSearchCounts(nullptr, a, b, d, e); },
      [] { ApiViewSearchCounts(nullptr); },
      [] { ApiIterateDisks(nullptr, 1, 0); },
      [] { ApiSetSearchCallback(nullptr, nullptr); },
      [&] { ApiCompressDBase(h, nullptr, true, false, true); },
      [&] { ApiCompressDBase(nullptr, h, true, false, true); },
  };
  for (size_t i = 0; i < raising.size(); ++i) {
    try {
      raising[i]();
      ADD_FAILURE() << "call " << i << " raised nothing";
    } catch (const EKstvFatalException& x) {
      EXPECT_STREQ(x.what(), kDBaseIsNil) << "call " << i;
    }
  }
  EXPECT_EQ(h->DamageCounter, 5);
  EXPECT_EQ(h->Stream.GetSize(), size);
  EXPECT_EQ(ApiGetErrorCount(nullptr), 0);
  ApiClearErrorCount(nullptr);
  EXPECT_EQ(ApiGetErrorCount(h), 5);
  ApiClearErrorCount(h);
  EXPECT_EQ(ApiGetErrorCount(h), 0);
}

TEST_F(ApiSearch, CurrentFolderWalkWithoutATreeIsAnInternalError) {
  h->Trees.Current.reset();
  try {
    ApiIterateDisks(h, 4, 0);
    ADD_FAILURE() << "no error";
  } catch (const EKstvFatalException& x) {
    EXPECT_STREQ(x.what(), kTreeStructIsNil);
  }
}

}  // namespace
}  // namespace vellomar

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/UDBase.h"
#include "engine/UDescriptions.h"
#include "engine/UEngineFileFind.h"
#include "engine/UTreeStruct.h"
#include "tests/support/CatalogueBuilder.h"
#include "tests/support/SearchCatalogue.h"
#include "tests/support/SearchFixtures.h"

namespace vellomar {
namespace {

using testing::dosDateTime;
using testing::fileNameRequest;
using testing::foundTexts;
using testing::TestCatalogue;
using Texts = std::vector<std::string>;

class CatalogueSearch : public ::testing::Test {
 protected:
  Texts search(const TSearchDlgData& request) {
    testing::setRequest(c.handle, request);
    SearchFiles(c.handle, c.trees, c.handle.Search, c.handle.SearchRequest, c.handle.Abort);
    return foundTexts(c.handle);
  }

  TestCatalogue c;
};

// Disk "Alpha": \ {readme.txt, Docs\ {a.txt, Deep\ {b.txt}}, Src\ {main.c}}; disk "Beta":
// \ {b.txt}.
class FileSearch : public CatalogueSearch {
 protected:
  void SetUp() override {
    TDirCollection& root = c.newDisk("Alpha");
    TDirCollection& docs = TestCatalogue::addFolder(root, "Docs");
    TDirCollection& deep = TestCatalogue::addFolder(docs, "Deep");
    TDirCollection& src = TestCatalogue::addFolder(root, "Src");
    c.setFiles(root, {{"readme.txt"}});
    c.setFiles(docs, {{"a.txt"}});
    c.setFiles(deep, {{"b.txt"}});
    c.setFiles(src, {{"main.c"}});
    c.saveDisk();
    TDirCollection& beta = c.newDisk("Beta");
    c.setFiles(beta, {{"b.txt"}});
    c.saveDisk();
  }
};

TEST_F(FileSearch, ResultsComeInWalkOrderAndLeaveNoTree) {
  TSearchDlgData request = fileNameRequest("*");
  request.FolderNames = true;
  request.DiskNames = true;
  EXPECT_EQ(search(request),
            (Texts{"Alpha|||", "Alpha|\\|Docs|", "Alpha|\\|Src|", "Alpha|\\|readme.txt|",
                   "Alpha|\\Docs|Deep|", "Alpha|\\Docs|a.txt|", "Alpha|\\Docs\\Deep|b.txt|",
                   "Alpha|\\Src|main.c|", "Beta|||", "Beta|\\|b.txt|"}));
  EXPECT_EQ(c.handle.Search.Counters.Disks, 2);
  EXPECT_EQ(c.handle.Search.Counters.Folders, 5);
  // Every line counts, ".." lines and subfolder lines too.
  EXPECT_EQ(c.handle.Search.Counters.Files, 3 + 3 + 2 + 2 + 1);
  EXPECT_FALSE(c.trees.Current);
  EXPECT_FALSE(c.handle.Abort);
}

TEST_F(FileSearch, DepthLimitStopsBelowTheLevel) {
  struct Case {
    int32_t level;
    Texts found;
  };
  const Case cases[] = {
      {0, {"Alpha|\\|Docs|", "Alpha|\\|Src|", "Beta|\\|b.txt|"}},
      {1,
       {"Alpha|\\|Docs|", "Alpha|\\|Src|", "Alpha|\\Docs|Deep|", "Alpha|\\Docs|a.txt|",
        "Alpha|\\Src|main.c|", "Beta|\\|b.txt|"}},
  };
  for (const Case& k : cases) {
    TSearchDlgData request = fileNameRequest("*.c *.txt Docs Src Deep");
    request.FolderNames = true;
    request.ScanDirLevel = k.level;
    request.SearchIn = SearchScope::kWholeDatabase;
    Texts found = search(request);
    // The root's own file is no target of this table.
    std::erase(found, "Alpha|\\|readme.txt|");
    EXPECT_EQ(found, k.found) << "level " << k.level;
  }
}

TEST_F(FileSearch, FolderMaskSkipsAFolderButNotItsChildren) {
  TSearchDlgData request = fileNameRequest("*.txt");
  request.DirMask = "*deep";
  EXPECT_EQ(search(request), (Texts{"Alpha|\\Docs\\Deep|b.txt|"}));
  // Folders left out by the mask read no file list.
  EXPECT_EQ(c.handle.Search.Counters.Folders, 1);
}

TEST_F(FileSearch, MaxRecsEndsTheSearchAtTheNextHit) {
  TSearchDlgData request = fileNameRequest("b.txt");
  request.MaxRecs = 1;
  EXPECT_EQ(search(request), (Texts{"Alpha|\\Docs\\Deep|b.txt|"}));
  // The second hit, on the second disk, finds the result full.
  EXPECT_TRUE(c.handle.Abort);
  EXPECT_EQ(c.handle.Search.Counters.Disks, 2);
}

TEST_F(FileSearch, ScopesAndDeletedDisksChooseTheDisks) {
  KeyTable& keys = c.handle.keyTable();
  keys.MoveKeyToDeleted(0);  // Alpha
  TSearchDlgData request = fileNameRequest("b.txt");
  request.DiskNames = true;
  request.Mask = "*";
  EXPECT_EQ(search(request).front(), "Beta|||");
  EXPECT_EQ(c.handle.Search.Counters.Disks, 1);

  keys.RebuildKeyTable();  // both live again, Alpha first
  keys.keys().Keys[1].Flags |= kKeySelected;
  keys.keys().CurrentIndex = 0;
  struct Case {
    SearchScope scope;
    std::string firstDisk;
  };
  const Case cases[] = {{SearchScope::kCurrentDisk, "Alpha|||"},
                        {SearchScope::kSelectedDisks, "Beta|||"},
                        {SearchScope::kNotSelectedDisks, "Alpha|||"}};
  for (const Case& k : cases) {
    request.SearchIn = k.scope;
    const Texts found = search(request);
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found.front(), k.firstDisk);
    EXPECT_EQ(c.handle.Search.Counters.Disks, 1);
  }
}

TEST_F(FileSearch, DiskNamesAloneLoadNoTree) {
  TSearchDlgData request = fileNameRequest("be*");
  request.FileNames = false;
  request.DiskNames = true;
  c.handle.TreeChanged = false;
  EXPECT_EQ(search(request), (Texts{"Beta|||"}));
  EXPECT_EQ(c.handle.Search.Counters.Disks, 2);
  EXPECT_FALSE(c.handle.TreeChanged);
}

TEST_F(CatalogueSearch, NameAndDescriptionHitGiveOneItemFromTheMatch) {
  const int32_t desc = testing::addDescription(c, "Holiday photos\r\nfrom the lake");
  TDirCollection& root = c.newDisk("Disk");
  c.setFiles(root, {{"lake.jpg", 10, 0, 0, desc}, {"sea.jpg", 20, 0, 0, desc}});
  c.saveDisk();
  TSearchDlgData request = fileNameRequest("lake");
  request.Descriptions = true;
  EXPECT_EQ(search(request), (Texts{"Disk|\\|lake.jpg|lake", "Disk|\\|sea.jpg|lake"}));
  const TFoundItem& item = *c.handle.Search.Found.ItemAt(0);
  EXPECT_EQ(item.DescOffset, desc);
  EXPECT_EQ(item.Size, 10);
  EXPECT_EQ(item.Kind, kFoundFile);
}

TEST_F(CatalogueSearch, ParentLineIsNeverAHitButAFileNamedDotsIs) {
  TDirCollection& root = c.newDisk("Disk");
  TDirCollection& sub = TestCatalogue::addFolder(root, "sub");
  c.setFiles(sub, {{"..."}});
  c.saveDisk();
  TSearchDlgData request = fileNameRequest("*");
  request.FolderNames = true;
  EXPECT_EQ(search(request), (Texts{"Disk|\\|sub|", "Disk|\\sub|...|"}));
  EXPECT_EQ(c.handle.Search.Found.ItemAt(0)->Kind, kFoundFolder);
}

TEST_F(CatalogueSearch, MoreOptionsLimitTheHits) {
  TDirCollection& root = c.newDisk("Disk");
  const auto midnight = static_cast<int32_t>(dosDateTime(2021, 5, 2));
  const auto evening = static_cast<int32_t>(dosDateTime(2021, 5, 1, 22));
  c.setFiles(root, {{"late.txt", 1, evening}, {"next.txt", 1, midnight}, {"old.bak", 1, evening}});
  c.saveDisk();
  TSearchDlgData request = fileNameRequest("*");
  request.DateTo = static_cast<uint32_t>(midnight);
  request.ExcludeMask = "*.bak";
  // Limits are off until more options are active.
  EXPECT_EQ(search(request).size(), 3u);
  request.MoreOptionsActive = true;
  EXPECT_EQ(search(request), (Texts{"Disk|\\|late.txt|"}));
}

TEST_F(CatalogueSearch, DamagedDiskIsCountedAndTheOthersSearched) {
  c.setFiles(c.newDisk("Bad"), {{"x.txt"}});
  const int32_t bad = c.saveDisk();
  c.setFiles(c.newDisk("Good"), {{"x.txt"}});
  c.saveDisk();
  c.patch(bad + 4, std::vector<uint8_t>{0, 0, 0, 0});  // the block's check
  EXPECT_EQ(search(fileNameRequest("x.txt")), (Texts{"Good|\\|x.txt|"}));
  EXPECT_EQ(c.handle.DamageCounter, 1);
}

// A subfolder's lines are read as they are searched: the hits before a damaged entry stay,
// and the search goes on in the next folder.
TEST_F(CatalogueSearch, DamagedFileListKeepsTheHitsBeforeIt) {
  TDirCollection& root = c.newDisk("Disk");
  TDirCollection& sub = TestCatalogue::addFolder(root, "Sub");
  TDirCollection& next = TestCatalogue::addFolder(root, "Tail");
  c.setFiles(root, {{"r.txt"}});
  c.setFiles(sub, {{"a.txt"}, {"b.txt"}});
  c.setFiles(next, {{"t.txt"}});
  const int32_t list = sub.Dir.Data.FileListOffset;
  c.saveDisk();
  // The length byte of the second name ("b"): behind the head and the first entry "a".
  c.patch(list + 13 + 21 + 19, std::vector<uint8_t>{200});
  EXPECT_EQ(search(fileNameRequest("*.txt")),
            (Texts{"Disk|\\|r.txt|", "Disk|\\Sub|a.txt|", "Disk|\\Tail|t.txt|"}));
  EXPECT_EQ(c.handle.DamageCounter, 1);
}

// Catalogues from elsewhere may store subfolders out of order or twice: the search goes by the
// order a loaded tree has, which keeps the first of two equal folders.
TEST_F(CatalogueSearch, FoldersStoredOutOfOrderComeInTreeOrder) {
  struct Case {
    char firstName;
    Texts found;
  };
  const Case cases[] = {
      {'D',
       {"Disk|\\|B|", "Disk|\\|C|", "Disk|\\|D|", "Disk|\\B|b.txt|", "Disk|\\C|c.txt|",
        "Disk|\\D|a.txt|"}},
      {'B', {"Disk|\\|B|", "Disk|\\|C|", "Disk|\\B|a.txt|", "Disk|\\C|c.txt|"}},
  };
  for (const Case& k : cases) {
    TestCatalogue fresh;
    TDirCollection& root = fresh.newDisk("Disk");
    fresh.setFiles(TestCatalogue::addFolder(root, "A"), {{"a.txt"}});
    fresh.setFiles(TestCatalogue::addFolder(root, "B"), {{"b.txt"}});
    fresh.setFiles(TestCatalogue::addFolder(root, "C"), {{"c.txt"}});
    const int32_t disk = fresh.saveDisk();
    // The name of the first subfolder: behind the head, the details and the root's record.
    const size_t firstName =
        kBlockHeadSize + kDiskInfoSize + folderRecordSize(1) + kFolderRecordFixedSize;
    fresh.patch(disk + static_cast<int32_t>(firstName),
                std::vector<uint8_t>{static_cast<uint8_t>(k.firstName)});
    TSearchDlgData request = fileNameRequest("*");
    request.FolderNames = true;
    testing::setRequest(fresh.handle, request);
    SearchFiles(fresh.handle, fresh.trees, fresh.handle.Search, fresh.handle.SearchRequest,
                fresh.handle.Abort);
    EXPECT_EQ(foundTexts(fresh.handle), k.found) << "first folder renamed " << k.firstName;
    EXPECT_EQ(fresh.handle.DamageCounter, 0);
  }
}

// The lists below the root are read in place from stretches of the file: a list longer than
// one stretch, and lists that cross a stretch's end, are read whole, in order.
TEST_F(CatalogueSearch, LongListsAndListsAcrossTheReadStretchesAreReadWhole) {
  TDirCollection& root = c.newDisk("Disk");
  const auto files = [](char prefix, int count) {
    std::vector<testing::FileSpec> specs;
    for (int i = 0; i < count; ++i) {
      specs.push_back({prefix + std::to_string(100000 + i) + (i + 1 == count ? ".hit" : ".dat")});
    }
    return specs;
  };
  // About 30 bytes an entry: a list of 1.2 MB, then folders of 30 kB each, to 2 MB.
  c.setFiles(TestCatalogue::addFolder(root, "A"), files('a', 40000));
  Texts expected = {"Disk|\\A|a139999.hit|"};
  for (char folder = 'B'; folder <= 'Z'; ++folder) {
    const char prefix = static_cast<char>(folder - 'A' + 'a');
    c.setFiles(TestCatalogue::addFolder(root, std::string(1, folder)), files(prefix, 1000));
    expected.push_back(std::string("Disk|\\") + folder + "|" + prefix + "100999.hit|");
  }
  c.saveDisk();
  EXPECT_EQ(search(fileNameRequest("*.hit")), expected);
  EXPECT_EQ(c.handle.DamageCounter, 0);
}

// A loaded disk reads its root's list whole, also when a folder mask leaves the root out.
TEST_F(CatalogueSearch, DamagedRootListCountsWhenTheRootIsLeftOut) {
  TDirCollection& root = c.newDisk("Disk");
  c.setFiles(TestCatalogue::addFolder(root, "Sub"), {{"s.txt"}});
  c.setFiles(root, {{"a.txt"}, {"b.txt"}});
  const int32_t list = root.Dir.Data.FileListOffset;
  c.saveDisk();
  c.patch(list + 13 + 21 + 19, std::vector<uint8_t>{200});
  TSearchDlgData request = fileNameRequest("*.txt");
  request.DirMask = "*sub";
  EXPECT_EQ(search(request), (Texts{"Disk|\\Sub|s.txt|"}));
  EXPECT_EQ(c.handle.DamageCounter, 1);
}

// The walk builds each folder's path from its parent's: past 255 bytes it must still be cut
// as the folder's own path is, to its tail at a folder boundary.
TEST_F(CatalogueSearch, DeepPathsAreCutAsTheFolderPathIs) {
  TDirCollection* node = &c.newDisk("Deep");
  std::string part;
  for (int i = 0; i < 40; ++i) part += "\xC3\xA9";  // "é", two bytes each
  for (int level = 0; level < 4; ++level) node = &TestCatalogue::addFolder(*node, part);
  c.setFiles(*node, {{"x.txt"}});
  const std::string expected = GetDirPath(*node).str();
  c.saveDisk();
  ASSERT_EQ(search(fileNameRequest("x.txt")), (Texts{"Deep|" + expected + "|x.txt|"}));
  EXPECT_EQ(expected, "\xE2\x80\xA6\\" + part + "\\" + part + "\\" + part);
}

TEST_F(CatalogueSearch, ProgressCallbackCanStopTheSearch) {
  c.setFiles(c.newDisk("One"), {{"x.txt"}});
  c.saveDisk();
  c.setFiles(c.newDisk("Two"), {{"x.txt"}});
  c.saveDisk();
  static int calls;
  calls = 0;
  c.handle.Search.Progress = [](bool& abort) {
    if (++calls == 1) abort = true;
  };
  // The call after the first item stops the search; the item stays.
  EXPECT_EQ(search(fileNameRequest("x.txt")), (Texts{"One|\\|x.txt|"}));
  EXPECT_EQ(c.handle.Search.Counters.Disks, 1);
}

}  // namespace
}  // namespace vellomar

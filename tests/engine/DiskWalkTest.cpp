#include "engine/UDiskWalk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/UDBase.h"
#include "engine/UTreeStruct.h"
#include "engine/api/UApiGlobals.h"
#include "engine/api/UApiTypes.h"
#include "tests/support/CatalogueBuilder.h"
#include "tests/support/SearchCatalogue.h"

namespace vellomar {
namespace {

using testing::TestCatalogue;
using Texts = std::vector<std::string>;

Texts trace;
int progressCalls;

void record(const std::string& line) {
  trace.push_back(line);
}

void installExportTrace(SearchState& s) {
  s.Export = makeExportCallbacks(
      [] { record("db+ " + DatabaseData.Name + " " + std::to_string(DatabaseData.DiskCount)); },
      [] { record("db-"); }, [] { record("disk+ " + DiskData.DiskName); }, [] { record("disk-"); },
      [] { record("folder+ " + FolderData.Path + "|" + FolderData.Name); },
      [] { record("folder-"); },
      [] { record("file " + FileData.Name.str() + std::string(FileData.Data.Ext.view())); });
}

void installPrintTrace(SearchState& s) {
  s.Print =
      makePrintCallbacks([](const ShortString& name) { record("disk " + name.str()); },
                         [](const ShortString& path) { record("folder " + path.str()); },
                         [](const TOneFile& line) { record("file " + line.Name.str()); }, nullptr);
}

class DiskWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    trace.clear();
    progressCalls = 0;
  }

  // Disk A: \ {one.txt, x\ {two.txt}}; disk B: \ {three.txt}.
  void twoDisks() {
    TDirCollection& a = c.newDisk("A");
    TDirCollection& x = TestCatalogue::addFolder(a, "x");
    c.setFiles(a, {{"one.txt"}});
    c.setFiles(x, {{"two.txt"}});
    c.saveDisk();
    c.setFiles(c.newDisk("B"), {{"three.txt"}});
    c.saveDisk();
  }

  TestCatalogue c;
};

TEST_F(DiskWalk, ExportCallsComeInPairsInWalkOrder) {
  twoDisks();
  installExportTrace(c.handle.Search);
  IterateDisks(c.handle, c.trees, kWalkNotSelectedDisks, kWalkExport);
  EXPECT_EQ(trace, (Texts{"db+ catalogue.kvd 2", "disk+ A", "folder+ \\|", "file x", "file one.txt",
                          "folder-", "folder+ \\|x", "file two.txt", "folder-", "disk-", "disk+ B",
                          "folder+ \\|", "file three.txt", "folder-", "disk-", "db-"}));
  EXPECT_EQ(c.handle.Search.Counters.Disks, 2);
  EXPECT_EQ(c.handle.Search.Counters.Folders, 3);
  EXPECT_FALSE(c.trees.Current);
  EXPECT_EQ(c.handle.DamageCounter, 0);
}

// A "/" belongs to a name (a Linux name's backslash); a folder deeper than 255 bytes of path is
// named by the tail of its path.
TEST_F(DiskWalk, FolderRecordsSplitAtTheLastBackslashOfTheirShownPath) {
  TDirCollection* node = &TestCatalogue::addFolder(c.newDisk("Deep"), "dir/with/back");
  const std::string long80(80, 'p');
  for (int level = 0; level < 4; ++level) node = &TestCatalogue::addFolder(*node, long80);
  TestCatalogue::addFolder(*node, "end");
  c.saveDisk();
  installExportTrace(c.handle.Search);
  IterateDisks(c.handle, c.trees, kWalkNotSelectedDisks, kWalkExport);
  const std::string cut = "\xE2\x80\xA6\\" + long80 + "\\" + long80 + "\\" + long80 + "\\";
  Texts folders;
  for (const std::string& line : trace) {
    if (line.starts_with("folder+")) folders.push_back(line);
  }
  ASSERT_EQ(folders.size(), 7u);
  EXPECT_EQ(folders[1], "folder+ \\|dir/with/back");
  EXPECT_EQ(folders[6], "folder+ " + cut + "|end");
}

TEST_F(DiskWalk, EmptyDatabaseGivesOnlyTheDatabaseCallsAndNoFreeSpace) {
  installExportTrace(c.handle.Search);
  IterateDisks(c.handle, c.trees, kWalkNotSelectedDisks, kWalkExport);
  EXPECT_EQ(trace, (Texts{"db+ catalogue.kvd 0", "db-"}));
  SearchFreeSpace(c.handle, c.trees);
  EXPECT_EQ(c.handle.Search.Found.Count(), 0);
}

TEST_F(DiskWalk, AbortInsideAFolderStillEndsWhatBegan) {
  TDirCollection& root = c.newDisk("Big");
  TestCatalogue::addFolder(root, "sub");
  c.setFiles(root, std::vector<testing::FileSpec>(150, {"f.txt"}));
  c.saveDisk();
  c.setFiles(c.newDisk("Next"), {{"n.txt"}});
  c.saveDisk();
  installExportTrace(c.handle.Search);
  c.handle.Search.Progress = [](bool& abort) { abort = true; };
  IterateDisks(c.handle, c.trees, kWalkNotSelectedDisks, kWalkExport);
  // The 100th line stops the walk: the subfolder and the next disk are never entered.
  ASSERT_GE(trace.size(), 5u);
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "file f.txt"), 99);
  EXPECT_EQ(Texts(trace.end() - 3, trace.end()), (Texts{"folder-", "disk-", "db-"}));
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "folder+ \\|"), 1);
  EXPECT_EQ(c.handle.Search.Counters.Disks, 1);
}

TEST_F(DiskWalk, ParentLineCountsButIsNeverPrintedOrExported) {
  twoDisks();
  installPrintTrace(c.handle.Search);
  c.handle.keyTable().keys().CurrentIndex = 0;
  IterateDisks(c.handle, c.trees, kWalkCurrentDisk, kWalkPrint);
  EXPECT_EQ(trace, (Texts{"disk A", "folder \\", "file x", "file one", "folder \\x", "file two"}));
  // Lines x, one, "..", two; the longest name is "one" or "two".
  EXPECT_EQ(c.handle.Search.Counters.Files, 4);
  EXPECT_EQ(c.handle.Search.Counters.LongestName, 3);
  EXPECT_EQ(c.handle.Search.Counters.TotalNameLength, 1 + 3 + 2 + 3);
}

TEST_F(DiskWalk, MeasureGivesTheWidestName) {
  twoDisks();
  IterateDisks(c.handle, c.trees, kWalkNotSelectedDisks, kWalkMeasure);
  EXPECT_EQ(c.handle.Search.Counters.WidestName, c.handle.Search.Counters.LongestName);
  EXPECT_EQ(c.handle.Search.Counters.LongestName, 5);  // "three"
  c.handle.Search.Print.Measure = [](const ShortString&, int32_t& width) { width *= 2; };
  IterateDisks(c.handle, c.trees, kWalkNotSelectedDisks, kWalkMeasure);
  EXPECT_EQ(c.handle.Search.Counters.WidestName, 10);
}

TEST_F(DiskWalk, CurrentFolderScopeWalksTheSubtreeAndComesBack) {
  twoDisks();
  c.trees.Current.reset();
  EXPECT_THROW(IterateDisks(c.handle, c.trees, kWalkCurrentFolder, kWalkPrint),
               EKstvFatalException);
  c.handle.keyTable().keys().CurrentIndex = 0;
  LoadTreeStruct(c.handle, c.trees, c.handle.keyTable().keys().Keys[0].Offset, 0);
  TTreeStruct& tree = *c.trees.Current;
  TDirCollection* x = testing::subDirNamed(*tree.Root, "x");
  ASSERT_NE(x, nullptr);
  tree.CurDir = x;
  LoadFileCol(tree, 0);
  installPrintTrace(c.handle.Search);
  IterateDisks(c.handle, c.trees, kWalkCurrentFolder, kWalkPrint);
  EXPECT_EQ(trace, (Texts{"disk A", "folder \\x", "file two"}));
  ASSERT_EQ(c.trees.Current.get(), &tree);
  EXPECT_EQ(tree.CurDir, x);
  EXPECT_EQ(testing::lineNames(*tree.FileCol), (Texts{"..", "two.txt"}));
}

TEST_F(DiskWalk, ScopeNoneOfTheThreeWalksNoDisk) {
  twoDisks();
  IterateDisks(c.handle, c.trees, 0, kWalkMeasure);
  EXPECT_EQ(c.handle.Search.Counters.Disks, 0);
}

TEST_F(DiskWalk, FreeSpaceListsEveryLiveDiskAndReportsEveryKthDisk) {
  for (int i = 0; i < 45; ++i) {
    c.newDisk("disk" + std::to_string(100 + i));
    c.trees.Current->DiskInfo.FreeKB = i;
    c.trees.Current->DiskInfo.DiskSizeKB = 1000 + i;
    c.saveDisk();
  }
  c.handle.Search.Progress = [](bool&) { ++progressCalls; };
  SearchFreeSpace(c.handle, c.trees);
  // k = 44 div 20 + 1 = 3: after disks 0, 3, ..., 42.
  EXPECT_EQ(progressCalls, 15);
  ASSERT_EQ(c.handle.Search.Found.Count(), 45);
  const TFoundItem& last = *c.handle.Search.Found.ItemAt(44);
  EXPECT_EQ(last.diskName(), "disk144");
  EXPECT_EQ(last.DateTime, 44);
  EXPECT_EQ(last.Size, 1044);
  EXPECT_EQ(c.handle.Search.Counters.Disks, 45);
  EXPECT_FALSE(c.trees.Current);
}

}  // namespace
}  // namespace vellomar

// A folder of more entries than the collections of other lists may hold (262144): every reader
// and every copy of its file list must keep them all.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "engine/UDiskWalk.h"
#include "engine/UScanPrevious.h"
#include "engine/api/UApi.h"
#include "engine/api/UApiSearch.h"
#include "platform/PPaths.h"
#include "tests/support/CatalogueBuilder.h"
#include "tests/support/SearchCatalogue.h"
#include "tests/support/SearchFixtures.h"
#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

constexpr int32_t kFiles = 300000;
constexpr int32_t kDate = (2001 - 1980) << 25 | 1 << 21 | 1 << 16;
constexpr std::string_view kFarText = "far past the ceiling";

std::string fileName(int32_t i) {
  std::string digits = std::to_string(i);
  return "f" + std::string(6 - std::min<size_t>(digits.size(), 6), '0') + digits + ".dat";
}

std::string fullName(const TOneFile& line) {
  return line.Name.str() + std::string(line.Data.Ext.view());
}

std::string descriptionOf(TDBase* db, int32_t offset) {
  std::string text;
  return offset != 0 && ApiGetFullDesc(db, offset, text) ? text : "-";
}

// Disk "Huge": a root of kFiles files f000000.dat ... f299999.dat, the last one described, and
// a folder "sub" holding inner.txt.
void buildHugeDisk(testing::TestCatalogue& c) {
  const int32_t desc = testing::addDescription(c, kFarText);
  TDirCollection& root = c.newDisk("Huge");
  c.setFiles(testing::TestCatalogue::addFolder(root, "sub"), {{"inner.txt", 5}});
  std::vector<testing::FileSpec> files(kFiles);
  for (int32_t i = 0; i < kFiles; ++i) files[static_cast<size_t>(i)] = {fileName(i), 0, kDate};
  files.back().DescOffset = desc;
  c.setFiles(root, files);
  c.saveDisk();
}

// What the file-list panel shows of the first disk's root: its line count, the last line and
// that line's description.
struct RootList {
  int32_t Count = 0;
  std::string Last;
  std::string LastDesc;
};

RootList rootList(TDBase* db) {
  RootList list;
  if (!ApiGoToDisk(db, 0)) return list;
  ApiUpdateFileCol(db);
  TFileCollection* files = ApiGetFileCol(db);
  list.Count = ApiFileColCount(files);
  TOneFile last;
  if (list.Count == 0 || !ApiFileColAt(files, list.Count - 1, last)) return list;
  list.Last = fullName(last);
  list.LastDesc = descriptionOf(db, last.Data.DescOffset);
  return list;
}

TDBase* openDatabase(const std::string& path, bool rebuildKeys = false) {
  TDBase* db = nullptr;
  ShortString error;
  EXPECT_TRUE(ApiOpenDBase(ShortString(path), rebuildKeys, db, error))
      << path << ": " << error.str();
  return db;
}

class HugeFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    buildHugeDisk(catalogue_);
    catalogue_.trees = TTreeSlots{};
    CloseDBaseFile(catalogue_.handle, false);
    db_ = openDatabase(catalogue_.path());
    ASSERT_NE(db_, nullptr);
  }
  void TearDown() override { ApiCloseDBase(db_, false); }

  testing::TestCatalogue catalogue_;
  TDBase* db_ = nullptr;
};

TEST_F(HugeFolder, FolderListsHoldEveryEntry) {
  const RootList list = rootList(db_);
  EXPECT_EQ(list.Count, kFiles + 1) << "the folder sub, then every file";
  EXPECT_EQ(list.Last, fileName(kFiles - 1));
  EXPECT_EQ(list.LastDesc, kFarText);

  // The lists a rescan reads of the previous version: the files alone, and the described ones.
  TTreeStruct& tree = *db_->Trees.Current;
  LoadFileCol(tree, 2);
  EXPECT_EQ(tree.FileCol->Count(), kFiles);
  LoadFileCol(tree, 1);
  EXPECT_EQ(testing::lineNames(*tree.FileCol),
            (std::vector<std::string>{"sub", fileName(kFiles - 1)}));
  const std::optional<PreviousFolder> previous =
      PreviousFolder::find(&tree, tree.Root.get(), false);
  ASSERT_TRUE(previous);
  EXPECT_NE(previous->fileDesc(kDate, "f299999", ".dat").Offset, 0);
}

TEST_F(HugeFolder, SearchFindsEntriesPastTheFormerCeiling) {
  const struct {
    const char* Mask;
    int32_t Found;
  } cases[] = {
      {"f2621*", 100}, {"f2622*", 100}, {"f2699*", 100}, {"f299999.dat", 1}, {"inner.txt", 1}};
  for (const auto& c : cases) {
    ApiSearch(db_, testing::fileNameRequest(c.Mask));
    EXPECT_EQ(ApiFoundCount(db_), c.Found) << c.Mask;
  }
  TSearchDlgData byDescription = testing::fileNameRequest("ceiling");
  byDescription.FileNames = false;
  byDescription.Descriptions = true;
  ApiSearch(db_, byDescription);
  ASSERT_EQ(ApiFoundCount(db_), 1);
  TOneFile found;
  ShortString disk, folder, shortDesc;
  ASSERT_TRUE(ApiGetFoundItem(db_, 0, found, disk, folder, shortDesc));
  EXPECT_EQ(fullName(found), fileName(kFiles - 1));
}

int32_t linesHanded;

void countPrintedLine(const TOneFile&) {
  ++linesHanded;
}

void countExportedLine() {
  ++linesHanded;
}

TEST_F(HugeFolder, WalksHandOverEveryEntry) {
  // The root: the line of sub and the files; sub: ".." (counted, never handed over) and inner.txt.
  constexpr int32_t kLines = kFiles + 3;
  ApiSetPrintCallbacks(db_, nullptr, nullptr, nullptr, countPrintedLine, nullptr);
  ApiSetExportCallbacks(db_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                        countExportedLine);
  const struct {
    int32_t Mode;
    int32_t Handed;
  } cases[] = {{kWalkMeasure, 0}, {kWalkPrint, kLines - 1}, {kWalkExport, kLines - 1}};
  for (const auto& c : cases) {
    linesHanded = 0;
    ApiIterateDisks(db_, kWalkNotSelectedDisks, c.Mode);
    int32_t percent = 0, disks = 0, folders = 0, files = 0;
    ApiGetSearchCounts(db_, percent, disks, folders, files);
    EXPECT_EQ(files, kLines) << "mode " << c.Mode;
    EXPECT_EQ(linesHanded, c.Handed) << "mode " << c.Mode;
  }
  ApiResetPrintCallbacks(db_);
  ApiResetExportCallbacks(db_);
}

TEST_F(HugeFolder, EveryCopyHoldsEveryEntry) {
  ApiCloseDBase(db_, false);
  const struct {
    const char* Run;
    bool AllDisks, UniqueNames, CopyOptions, RebuildKeys, ReadOnlyExport;
  } runs[] = {
      {"compress", true, false, true, false, false},
      {"read-only export", false, false, false, false, true},
      {"export", false, false, false, false, false},
      {"import", true, true, false, false, false},
      {"repair", true, false, true, true, false},
  };
  vellomar::test::TempFolder folder("copies");
  for (const auto& run : runs) {
    SCOPED_TRACE(run.Run);
    const std::string copy = folder.at(std::string(run.Run) + ".kvd");
    ASSERT_TRUE(ApiCreateDBase(ShortString(copy)));
    TDBase* source = openDatabase(catalogue_.path(), run.RebuildKeys);
    TDBase* target = openDatabase(copy);
    ASSERT_TRUE(source && target);
    EXPECT_TRUE(ApiCompressDBase(source, target, run.AllDisks, run.UniqueNames, run.CopyOptions));
    EXPECT_EQ(ApiGetErrorCount(source), 0);
    ApiCloseDBase(source, false);
    ApiCloseDBase(target, run.ReadOnlyExport);
    TDBase* copied = openDatabase(copy);
    ASSERT_NE(copied, nullptr);
    const RootList list = rootList(copied);
    EXPECT_EQ(list.Count, kFiles + 1);
    EXPECT_EQ(list.Last, fileName(kFiles - 1));
    EXPECT_EQ(list.LastDesc, kFarText);
    ApiCloseDBase(copied, false);
  }
  db_ = openDatabase(catalogue_.path());
}

// A folder of kFiles empty files, in memory where the machine has such a file system: a
// disk's journal makes their creation many times slower.
class HugeFolderOnDisk {
 public:
  HugeFolderOnDisk() {
    std::error_code error;
    const bool inMemory =
        std::filesystem::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0;
    std::string pattern =
        (inMemory ? std::string("/dev/shm/") : ::testing::TempDir()) + "vellomar-huge-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) return;
    path_ = pattern;
    for (int32_t i = 0; i < kFiles; ++i) {
      const int fd = ::open((path_ + "/" + fileName(i)).c_str(), O_CREAT | O_WRONLY, 0644);
      if (fd < 0) return;
      ::close(fd);
    }
    made_ = true;
  }
  ~HugeFolderOnDisk() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  HugeFolderOnDisk(const HugeFolderOnDisk&) = delete;
  HugeFolderOnDisk& operator=(const HugeFolderOnDisk&) = delete;

  bool made() const { return made_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  bool made_ = false;
};

int32_t rootListOffset(TDBase* db) {
  TOneDir root;
  ApiDirColCheck(ApiGetRootDirCol(db), root);
  return root.Data.FileListOffset;
}

TEST(HugeFolderScan, ScanAndRescanKeepEveryEntryAndItsDescription) {
  const HugeFolderOnDisk folder;
  ASSERT_TRUE(folder.made()) << folder.path();
  const std::optional<std::string> path = toSystemPath(folder.path());
  ASSERT_TRUE(path);
  vellomar::test::TempFolder databases("huge-scan");
  const std::string file = databases.at("scanned.kvd");
  ASSERT_TRUE(ApiCreateDBase(ShortString(file)));
  TDBase* db = openDatabase(file);
  ASSERT_NE(db, nullptr);
  TLocalOptions options;
  ApiGetLocalOptions(db, options);
  options.SimulateDiskInfo = false;
  ApiSetLocalOptions(db, options);

  ASSERT_TRUE(ApiScanDisk(db, *path, "Huge", ShortString()));
  ASSERT_TRUE(ApiSaveDisk(db));
  RootList list = rootList(db);
  EXPECT_EQ(list.Count, kFiles);
  EXPECT_EQ(list.Last, fileName(kFiles - 1));
  TOneFile last;
  ASSERT_TRUE(ApiFileColAt(ApiGetFileCol(db), kFiles - 1, last));
  int32_t entry = last.EntryOffset;
  ASSERT_TRUE(ApiSetDesc(db, entry, kFarText));
  const int32_t firstList = rootListOffset(db);

  // A rescan as the scan command makes it: the previous version loaded beside the new one, then
  // deleted, and the new one saved.
  ShortString name("Huge");
  int32_t index = -1;
  ASSERT_TRUE(ApiFindDisk(db, name, index));
  ASSERT_TRUE(ApiLoadOldDisk(db, index));
  ApiFreeTreeStruct(db);
  ASSERT_TRUE(ApiScanDisk(db, *path, name, ShortString()));
  ApiKeepTreeAsOld(db);
  ASSERT_TRUE(ApiDeleteDisk(db, index));
  ApiRestoreOldTree(db);
  ASSERT_TRUE(ApiSaveDisk(db));
  ApiFreeOldTreeStruct(db);
  list = rootList(db);
  EXPECT_EQ(list.Count, kFiles);
  EXPECT_EQ(list.LastDesc, kFarText);
  EXPECT_EQ(rootListOffset(db), firstList) << "the unchanged list is shared, not written again";
  ApiCloseDBase(db, false);
}

}  // namespace
}  // namespace vellomar

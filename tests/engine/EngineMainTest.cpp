#include "engine/UEngineMain.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/UCallbacks.h"
#include "engine/UDBase.h"
#include "platform/PPaths.h"
#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

std::vector<std::pair<int32_t, int32_t>> percents;
int abortAfterPolls = -1;  // -1 never
int polls = 0;

void recordPercent(int32_t phase, int32_t percent) {
  percents.emplace_back(phase, percent);
}

bool countedAbort() {
  return abortAfterPolls >= 0 && ++polls > abortAfterPolls;
}

std::string fullName(const TDirCollection& node) {
  return node.Dir.Name.str() + std::string(node.Dir.Data.Ext.view());
}

std::vector<std::string> subNames(const TDirCollection& node) {
  std::vector<std::string> names;
  for (const TDirCollection* sub : node.Items()) names.push_back(fullName(*sub));
  return names;
}

class EngineMainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::optional<std::string> system = toSystemPath(disk_.path());
    if (!system) GTEST_SKIP() << "no drive holds the temporary folder";
    root_ = *system;
    ASSERT_TRUE(CreateDBaseFile(db_, dbPath_));
    OpenDBaseFile(db_, dbPath_, false);
    db_.LocalOptions.SimulateDiskInfo = false;
    percents.clear();
    abortAfterPolls = -1;
    polls = 0;
    SetCallbacks(nullptr, nullptr, nullptr, nullptr, recordPercent, countedAbort);
  }
  void TearDown() override { ResetCallbacks(); }

  bool scan(const std::string& path) {
    tree_ = TreeStructInit(db_, false);
    return ScanDiskToTree(*tree_, nullptr, ShortString(path), "Disk 1", "LABEL");
  }

  // The file lines of a folder as stored: name with extension, size, attributes.
  struct Line {
    std::string Name;
    uint32_t Size;
    uint16_t Attr;
    bool operator==(const Line&) const = default;
  };
  std::vector<Line> filesOf(TDirCollection& node) {
    tree_->CurDir = &node;
    LoadFileCol(*tree_, 2);
    std::vector<Line> lines;
    for (const TOneFile* f : tree_->FileCol->Items()) {
      lines.push_back({f->Name.str() + std::string(f->Data.Ext.view()),
                       static_cast<uint32_t>(f->Data.Size), f->Data.Attr});
    }
    return lines;
  }

  std::string at(const std::string& relative) const { return disk_.at(relative); }

  test::TempFolder disk_{"scandisk"};
  test::TempFolder dbFolder_{"scandb"};
  std::string dbPath_ = dbFolder_.at("scan.kvd");
  std::string root_;
  TDBase db_;
  std::unique_ptr<TTreeStruct> tree_;
};

TEST_F(EngineMainTest, RootOnlyDiskHasNoFoldersFilesOrFileList) {
  const uint32_t sizeBefore = db_.Stream.GetSize();
  ASSERT_TRUE(scan(root_ + "\\"));
  const TDiskInfo& info = tree_->DiskInfo;
  EXPECT_EQ(info.Folders, 0);
  EXPECT_EQ(info.Files, 0);
  EXPECT_EQ(info.DiskName.str(), "Disk 1");
  EXPECT_EQ(info.VolumeLabel.str(), "LABEL");
  EXPECT_EQ(info.ScannedPath.str(), root_ + "\\");
  EXPECT_EQ(info.Drive, root_[0]);
  EXPECT_GT(info.DiskSizeKB, 0) << "the space of the volume the folder lies on";
  EXPECT_NE(info.ScanDateTime, 0);
  ASSERT_NE(tree_->Root, nullptr);
  EXPECT_EQ(tree_->CurDir, tree_->Root.get());
  EXPECT_EQ(tree_->Root->Count(), 0);
  EXPECT_EQ(tree_->Root->Dir.Data.FileListOffset, 0);
  EXPECT_EQ(db_.Stream.GetSize(), sizeBefore) << "an empty folder writes no file list";
  EXPECT_EQ(percents, (std::vector<std::pair<int32_t, int32_t>>{{1, 0}, {2, 0}}));
}

TEST_F(EngineMainTest, FoldersAndFilesWithLinksAndSpecialFiles) {
  disk_.file("Docs/Report.TXT", "abc");
  disk_.file("docs/b", "");
  disk_.file("FOO.BAR", "1234");
  disk_.file("sub/deeper/z.dat", "zz");
  ASSERT_EQ(::symlink(".", at("loop").c_str()), 0);
  ASSERT_EQ(::symlink("../..", at("sub/deeper/up").c_str()), 0);
  ASSERT_EQ(::mkfifo(at("x.txt").c_str(), 0644), 0);

  ASSERT_TRUE(scan(root_));
  const TDiskInfo& info = tree_->DiskInfo;
  TDirCollection& root = *tree_->Root;
  EXPECT_EQ(subNames(root), (std::vector<std::string>{"Docs", "docs", "sub"}))
      << "folders that differ only in case are both kept";
  EXPECT_EQ(info.Folders, 4);
  EXPECT_EQ(info.Files, 7);
  EXPECT_EQ(info.PhysSize, 3 + 4 + 2 + 1 + 5);
  EXPECT_EQ(info.DataSize, info.PhysSize);

  const std::vector<Line> rootFiles = filesOf(root);
  ASSERT_EQ(rootFiles.size(), 3u);
  EXPECT_EQ(rootFiles[0], (Line{"FOO.BAR", 4, 0x20})) << "capitals kept off case-insensitive media";
  EXPECT_EQ(rootFiles[1].Name, "loop");
  EXPECT_EQ(rootFiles[1].Size, 1u) << "a link is catalogued by its own size";
  EXPECT_EQ(rootFiles[2].Name, "x.txt");
  EXPECT_EQ(root.Dir.Data.FileCount, 3);
  EXPECT_EQ(root.Dir.Data.FilesSize, 5);
  EXPECT_EQ(tree_->FileCol->ItemAt(0)->Name.str(), "FOO");
  EXPECT_EQ(tree_->FileCol->ItemAt(0)->Data.Ext.view(), ".BAR");

  TDirCollection* deeper = FindDirByPath(&root, "\\sub\\deeper");
  ASSERT_NE(deeper, nullptr);
  EXPECT_EQ(filesOf(*deeper), (std::vector<Line>{{"up", 5, 0}, {"z.dat", 2, 0x20}}));
  EXPECT_EQ(deeper->Dir.Data.DateTime, 0) << "walk folders carry no date";
  EXPECT_EQ(deeper->Dir.Data.Attr & 0x10, 0x10);
  // Phase 2 reports each folder begun out of the folders and the root.
  const std::vector<std::pair<int32_t, int32_t>> expected = {{1, 0},  {2, 0},  {2, 20}, {2, 40},
                                                             {2, 60}, {2, 80}, {2, 100}};
  EXPECT_EQ(percents, expected);
}

TEST_F(EngineMainTest, SimulatedDiskDescriptionOnlyWithoutARealOne) {
  struct Case {
    const char* realName;  // nullptr: none on the disk
    std::vector<Line> root;
  };
  const Case cases[] = {
      {nullptr, {{"a.txt", 2, 0x20}, {"DiskInfo.txt", 1, 0}}},
      {"DISKINFO.TXT", {{"a.txt", 2, 0x20}, {"DiskInfo.txt", 5, 0x20}}},
  };
  db_.LocalOptions.SimulateDiskInfo = true;
  for (const Case& c : cases) {
    test::TempFolder disk("scandisk");
    disk.file("a.txt", "aa");
    if (c.realName) disk.file(c.realName, "12345");
    disk.file("sub/none.txt", "");
    ASSERT_TRUE(scan(*toSystemPath(disk.path())));
    EXPECT_EQ(filesOf(*tree_->Root), c.root) << (c.realName ? c.realName : "none");
    EXPECT_EQ(tree_->DiskInfo.Files, 3);
    EXPECT_EQ(filesOf(*FindDirByPath(tree_->Root.get(), "sub")).size(), 1u)
        << "only the root has one";
  }
}

TEST_F(EngineMainTest, FolderWhosePathWouldReach255IsListedButNotEntered) {
  // The folder path "X:\...\" + name is kept below 255 characters; a folder that would reach
  // it stays in the tree, empty and unread.
  const size_t folderLength = root_.size() + 1;
  ASSERT_LT(folderLength, 120u);
  const std::string fits(254 - folderLength, 'f');
  const std::string shallow(100, 'g');
  const std::string tooLong(255 - folderLength - shallow.size() - 1, 'h');
  disk_.file(fits + "/inside.txt", "1");
  disk_.file(shallow + "/" + tooLong + "/x.txt", "1");
  ASSERT_TRUE(scan(root_));
  TDirCollection* fitting = FindDirByPath(tree_->Root.get(), ShortString(fits));
  ASSERT_NE(fitting, nullptr);
  EXPECT_EQ(filesOf(*fitting).size(), 1u);
  TDirCollection* parent = FindDirByPath(tree_->Root.get(), ShortString(shallow));
  ASSERT_NE(parent, nullptr);
  ASSERT_EQ(subNames(*parent), std::vector<std::string>{tooLong}) << "listed";
  EXPECT_EQ(parent->ItemAt(0)->Dir.Data.FileListOffset, 0) << "not entered";
  EXPECT_EQ(tree_->DiskInfo.Files, 1);
}

TEST_F(EngineMainTest, AbortLeavesAnEmptyRoot) {
  disk_.file("a/1.txt", "1");
  disk_.file("b/2.txt", "2");
  for (const int pollsAllowed : {1, 4}) {  // in the folder walk, then in the file pass
    polls = 0;
    abortAfterPolls = pollsAllowed;
    EXPECT_FALSE(scan(root_)) << pollsAllowed;
    ASSERT_NE(tree_->Root, nullptr);
    EXPECT_EQ(tree_->Root->Count(), 0);
    EXPECT_EQ(tree_->Root->Dir.Data.FileListOffset, 0);
    EXPECT_EQ(tree_->CurDir, tree_->Root.get());
  }
}

TEST(FindDirByPath, FindsByNameIgnoringCaseWhenNoneMatchesExactly) {
  TDirCollection root(nullptr, 0, false);
  root.Dir.Name = "\\";
  const auto add = [](TDirCollection& parent, const char* name) {
    auto* node = new TDirCollection(&parent, 0, false);
    node->Dir.Name = name;
    SplitName(node->Dir.Name, node->Dir.Data.Ext);
    EXPECT_TRUE(parent.Add(node));
    return node;
  };
  TDirCollection* upper = add(root, "Docs");
  TDirCollection* lower = add(root, "docs");
  TDirCollection* photos = add(root, "photos.old");
  TDirCollection* year = add(*photos, "2001");
  struct Case {
    const char* path;
    TDirCollection* found;
  };
  const Case cases[] = {
      {"", &root},
      {"\\", &root},
      {"Docs", upper},
      {"\\docs", lower},
      {"DOCS", upper},
      {"PHOTOS.OLD\\2001", year},
      {"photos.old\\", photos},
      {"photos", nullptr},
      {"\\photos.old\\2002", nullptr},
  };
  for (const Case& c : cases) EXPECT_EQ(FindDirByPath(&root, c.path), c.found) << c.path;
  EXPECT_EQ(FindDirByPath(nullptr, "\\"), nullptr);
}

}  // namespace
}  // namespace vellomar

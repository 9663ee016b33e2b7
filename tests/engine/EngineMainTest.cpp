#include "engine/UEngineMain.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/UDBase.h"
#include "engine/api/UApiGlobals.h"
#include "engine/api/UCallbacks.h"
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
    return ScanDiskToTree(*tree_, nullptr, db_.LocalOptions, path, "Disk 1", "LABEL");
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

// Folders made one inside the other through descriptors, so the chain may pass the length a
// path can have; removed the same way, which no path-based removal can do.
class FolderChain {
 public:
  FolderChain(const std::string& top, std::vector<std::string> names) : names_(std::move(names)) {
    fds_.push_back(::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (const std::string& name : names_) {
      ::mkdirat(fds_.back(), name.c_str(), 0755);
      fds_.push_back(::openat(fds_.back(), name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
      const int file = ::openat(fds_.back(), "f.txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
      EXPECT_EQ(::write(file, "12", 2), 2);
      ::close(file);
    }
  }
  ~FolderChain() {
    for (size_t i = names_.size(); i > 0; --i) {
      ::unlinkat(fds_[i], "f.txt", 0);
      ::close(fds_[i]);
      ::unlinkat(fds_[i - 1], names_[i - 1].c_str(), AT_REMOVEDIR);
    }
    ::close(fds_[0]);
  }

 private:
  std::vector<std::string> names_;
  std::vector<int> fds_;
};

TEST_F(EngineMainTest, FoldersAreEnteredWhateverTheLengthOfTheirPath) {
  // Eight folders of 60 characters, a file at the bottom; and seventy folders deep.
  std::string deep;
  for (char c = 'a'; c < 'i'; ++c) deep += std::string(60, c) + "/";
  disk_.file(deep + "bottom.dat", "12345");
  std::string nested = "n";
  for (int level = 1; level < 70; ++level) nested += "/n";
  disk_.file(nested + "/last.dat", "123");
  ASSERT_TRUE(scan(root_));
  TDirCollection* node = tree_->Root.get();
  for (char c = 'a'; c < 'i' && node != nullptr; ++c)
    node = FindDirByPath(node, std::string(60, c));
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(filesOf(*node), (std::vector<Line>{{"bottom.dat", 5, 0x20}}));
  TDirCollection* chain = FindDirByPath(tree_->Root.get(), "n");
  for (int level = 1; level < 70 && chain != nullptr; ++level) chain = FindDirByPath(chain, "n");
  ASSERT_NE(chain, nullptr) << "past the folders the walk holds open";
  EXPECT_EQ(filesOf(*chain), (std::vector<Line>{{"last.dat", 3, 0x20}}));
  EXPECT_EQ(tree_->DiskInfo.Folders, 8 + 70);
  EXPECT_EQ(tree_->DiskInfo.Files, 2);
}

TEST_F(EngineMainTest, AFolderPastTheSystemsPathLimitIsListedButNotEntered) {
  // Folders of 200 characters: the one whose Linux path passes 4095 bytes stays empty, unread.
  const std::string linuxRoot = *toLinuxPath(root_);
  const size_t entered = (4095 - linuxRoot.size()) / 201;
  const FolderChain chain(linuxRoot, std::vector<std::string>(entered + 2, std::string(200, 'p')));
  ASSERT_TRUE(scan(root_));
  TDirCollection* node = tree_->Root.get();
  for (size_t level = 0; level < entered; ++level) {
    ASSERT_EQ(node->Count(), 1) << level;
    node = node->ItemAt(0);
    EXPECT_EQ(filesOf(*node).size(), 1u) << level;
  }
  ASSERT_EQ(node->Count(), 1) << "listed";
  EXPECT_EQ(node->ItemAt(0)->Count(), 0) << "not entered";
  EXPECT_EQ(node->ItemAt(0)->Dir.Data.FileListOffset, 0);
  EXPECT_EQ(tree_->DiskInfo.Folders, static_cast<int32_t>(entered + 1));
  EXPECT_EQ(tree_->DiskInfo.Files, static_cast<int32_t>(entered));
}

TEST_F(EngineMainTest, NamesWithABackslashAreStoredWithASlash) {
  disk_.file("back\\slash.txt", "123");
  disk_.file("dir\\with\\back/inner.dat", "4567");
  ASSERT_TRUE(scan(root_));
  EXPECT_EQ(subNames(*tree_->Root), std::vector<std::string>{"dir/with/back"});
  EXPECT_EQ(filesOf(*tree_->Root), (std::vector<Line>{{"back/slash.txt", 3, 0x20}}));
  TDirCollection* folder = FindDirByPath(tree_->Root.get(), "\\dir/with/back");
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(filesOf(*folder), (std::vector<Line>{{"inner.dat", 4, 0x20}}));
  EXPECT_EQ(tree_->DiskInfo.Folders, 1);
  EXPECT_EQ(tree_->DiskInfo.Files, 2);
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

#include "engine/api/UApi.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/UDBaseLayout.h"
#include "engine/UTreeStruct.h"
#include "engine/api/UApiSearch.h"
#include "foundation/UBaseUtils.h"
#include "foundation/UExceptions.h"
#include "platform/PPaths.h"
#include "tests/support/ArchiveBuilders.h"
#include "tests/support/DBaseImage.h"
#include "tests/support/SearchFixtures.h"
#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

using testing::DBaseImage;

// The text a call raises as a fatal error, "" when it raises nothing.
std::string fatalTextOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const EKstvFatalException& e) {
    return e.what();
  }
  return "";
}

class ApiTest : public ::testing::Test {
 protected:
  ~ApiTest() override { ApiCloseDBase(db_, false); }

  // A database holding the disks named, live in the order given, then the deleted ones.
  std::string writeDatabase(const std::vector<std::string>& live,
                            const std::vector<std::string>& deleted = {}) {
    DBaseImage image;
    TKeyField keys;
    for (const std::string& name : live) keys.Keys.push_back({0, image.addDisk(name)});
    for (const std::string& name : deleted) {
      keys.Keys.push_back({kKeyDeleted, image.addDisk(name, true)});
    }
    keys.LiveCount = static_cast<int32_t>(live.size());
    image.setKeys(keys, true);
    const auto& bytes = image.bytes();
    return dir_.file("db.kvd",
                     std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }

  void open(const std::string& path) {
    ShortString error;
    ASSERT_TRUE(ApiOpenDBase(ShortString(path), false, db_, error)) << error.str();
  }

  test::TempFolder dir_{"api"};
  TDBase* db_ = nullptr;
};

TEST_F(ApiTest, NullHandlesRaiseTheirTextOrAnswerEmpty) {
  TDBase* null = nullptr;
  ShortString name("kept");
  uint16_t flags = 7;
  int32_t index = 3;
  TLocalOptions options;
  TDBaseStats stats;
  stats.KeyCount = 9;
  const std::function<void()> raising[] = {
      [&] { ApiGetLocalOptions(null, options); },
      [&] { ApiSetLocalOptions(null, options); },
      [&] { ApiGetDBaseStats(null, stats); },
      [&] { ApiFindDisk(null, name, index); },
      [&] { ApiGetKey(null, name, flags, 0); },
      [&] { ApiGetCurrentKey(null, name, flags, index); },
      [&] { ApiSetCurrentKey(null, 0); },
      [&] { ApiSelectKey(null, true, 0); },
      [&] { ApiToggleKeySelection(null, 0); },
      [&] { ApiCountSelectedKeys(null); },
  };
  for (size_t i = 0; i < std::size(raising); ++i) {
    EXPECT_EQ(fatalTextOf(raising[i]), "Internal error 500: DBaseIsNil") << "call " << i;
  }
  EXPECT_EQ(stats.KeyCount, 0) << "the record is zeroed before the check";
  EXPECT_EQ(name.str(), "kept");

  EXPECT_EQ(ApiGetKeyCount(null), 0);
  EXPECT_FALSE(ApiKeysChanged(null));
  EXPECT_FALSE(ApiTreeChanged(null));
  EXPECT_FALSE(ApiFilesChanged(null));
  EXPECT_FALSE(ApiIsKeySelected(null, 0));
  EXPECT_FALSE(ApiCloseDBase(null, false));
  EXPECT_EQ(fatalTextOf([&] {
              ApiClearKeysChanged(null);
              ApiSetTreeChanged(null);
              ApiSetFilesChanged(null);
            }),
            "");
}

TEST_F(ApiTest, CreateOpenAndCloseADatabase) {
  const std::string path = dir_.at("new.kvd");
  ASSERT_TRUE(ApiCreateDBase(ShortString(path)));
  EXPECT_EQ(ApiTestDBaseFile(ShortString(path)), 0);
  open(path);
  ASSERT_NE(db_, nullptr);
  EXPECT_EQ(ApiGetKeyCount(db_), 0);
  EXPECT_TRUE(ApiKeysChanged(db_));
  ApiClearKeysChanged(db_);
  EXPECT_FALSE(ApiKeysChanged(db_));
  ShortString name;
  uint16_t flags = 0;
  int32_t index = -1;
  EXPECT_FALSE(ApiGetCurrentKey(db_, name, flags, index));

  TLocalOptions options;
  ApiGetLocalOptions(db_, options);
  options.ShowDeleted = true;
  ApiSetLocalOptions(db_, options);
  EXPECT_TRUE(ApiCloseDBase(db_, true));
  EXPECT_EQ(db_, nullptr);
  EXPECT_EQ(ApiTestDBaseFile(ShortString(path)), 4) << "closed as a read-only export";
}

TEST_F(ApiTest, FailedOpenAnswersTheRefusalAndLeavesTheHandleNull) {
  const std::string notDatabase = dir_.file("text.kvd", std::string(70000, 'x'));
  struct Case {
    std::string path;
    int capacity;
    std::string text;
  };
  const Case cases[] = {
      {notDatabase, 255, "This file is not a Vellomar database."},
      {notDatabase, 9, "This file"},
      {dir_.at("missing.kvd"), 255, "The database cannot be open\r\nIt does not exist."},
  };
  for (const Case& c : cases) {
    TDBase* handle = reinterpret_cast<TDBase*>(&dir_);  // a stale value the call must clear
    ShortString error;
    EXPECT_FALSE(ApiOpenDBase(ShortString(c.path), false, handle, error, c.capacity));
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(error.str(), c.text);
  }
  EXPECT_EQ(test::contentOf(notDatabase), std::string(70000, 'x'));
}

TEST_F(ApiTest, KeysAreReadInShownOrderAndBadIndexesChangeNothing) {
  open(writeDatabase({"Alpha", "beta"}, {"gone [1]"}));
  ShortString name("unchanged");
  uint16_t flags = 99;
  EXPECT_EQ(ApiGetKeyCount(db_), 2);
  for (const int32_t bad : {-1, 2}) {
    EXPECT_FALSE(ApiGetKey(db_, name, flags, bad));
    EXPECT_EQ(name.str(), "unchanged");
    EXPECT_EQ(flags, 99);
  }
  ASSERT_TRUE(ApiGetKey(db_, name, flags, 1, 2));
  EXPECT_EQ(name.str(), "be");
  EXPECT_EQ(flags, 0);

  TLocalOptions options;
  ApiGetLocalOptions(db_, options);
  options.ShowDeleted = true;
  ApiSetLocalOptions(db_, options);
  EXPECT_EQ(ApiGetKeyCount(db_), 3);
  ASSERT_TRUE(ApiGetKey(db_, name, flags, 2));
  EXPECT_EQ(name.str(), "gone [1]");
  EXPECT_EQ(flags, kKeyDeleted);

  ShortString wanted("BETA");
  int32_t index = -1;
  ASSERT_TRUE(ApiFindDisk(db_, wanted, index));
  EXPECT_EQ(index, 1);
  EXPECT_EQ(wanted.str(), "beta") << "the stored name replaces the one asked for";
  ShortString missing("Between");
  EXPECT_FALSE(ApiFindDisk(db_, missing, index));
  EXPECT_EQ(index, 2) << "where the name would go";
  EXPECT_EQ(missing.str(), "Between");

  ApiClearKeysChanged(db_);
  EXPECT_TRUE(ApiSetCurrentKey(db_, 0));
  EXPECT_FALSE(ApiKeysChanged(db_)) << "the current disk did not change";
  EXPECT_TRUE(ApiSetCurrentKey(db_, 2));
  EXPECT_TRUE(ApiKeysChanged(db_));
  EXPECT_FALSE(ApiSetCurrentKey(db_, 3));
  int32_t current = -1;
  ASSERT_TRUE(ApiGetCurrentKey(db_, name, flags, current));
  EXPECT_EQ(current, 2);
  EXPECT_EQ(name.str(), "gone [1]");
}

TEST_F(ApiTest, OnlyLiveDisksCanBeSelected) {
  open(writeDatabase({"a", "b"}, {"c [1]"}));
  ApiSelectKey(db_, true, 0);
  ApiToggleKeySelection(db_, 1);
  ApiToggleKeySelection(db_, 1);
  ApiSelectKey(db_, true, 2);
  ApiToggleKeySelection(db_, 2);
  ApiSelectKey(db_, true, 5);
  EXPECT_TRUE(ApiIsKeySelected(db_, 0));
  EXPECT_FALSE(ApiIsKeySelected(db_, 1));
  EXPECT_FALSE(ApiIsKeySelected(db_, 2));
  EXPECT_FALSE(ApiIsKeySelected(db_, -1));
  EXPECT_EQ(ApiCountSelectedKeys(db_), 1);
  ApiSelectKey(db_, false, 0);
  EXPECT_EQ(ApiCountSelectedKeys(db_), 0);
}

}  // namespace
}  // namespace vellomar

namespace vellomar {
namespace {

int pollsLeft = -1;  // -1 never abort

// Once the polls run out every poll answers true, as the flag of a Cancel button does.
bool abortWhenPollsRunOut() {
  return pollsLeft >= 0 && (pollsLeft == 0 || pollsLeft-- == 0);
}

int32_t blockLengthAt(const std::string& file, int32_t offset) {
  const std::string bytes = test::contentOf(file);
  int32_t length = 0;
  std::memcpy(&length, bytes.data() + offset, sizeof length);
  return length;
}

// A database file and a folder scanned as its disks, through the flat interface only.
// Runs body while the file system refuses every write at or beyond limit bytes into a file.
void withFileSizeLimit(uint64_t limit, const std::function<void()>& body) {
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = saved;
  limited.rlim_cur = limit;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  body();
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
}

class ApiDiskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::optional<std::string> system = toSystemPath(disk_.path());
    if (!system) GTEST_SKIP() << "no drive holds the temporary folder";
    root_ = *system;
    ASSERT_TRUE(ApiCreateDBase(ShortString(dbPath_)));
    open();
    pollsLeft = -1;
    ApiSetCallbacks(nullptr, nullptr, nullptr, nullptr, nullptr, abortWhenPollsRunOut);
  }
  void TearDown() override {
    ApiResetCallbacks();
    ApiCloseDBase(db_, false);
  }

  void open() {
    ShortString error;
    ASSERT_TRUE(ApiOpenDBase(ShortString(dbPath_), false, db_, error)) << error.str();
    TLocalOptions options;
    ApiGetLocalOptions(db_, options);
    options.SimulateDiskInfo = false;
    ApiSetLocalOptions(db_, options);
  }

  void reopen() {
    ASSERT_TRUE(ApiCloseDBase(db_, false));
    open();
  }

  bool scanNew(const std::string& name) {
    const bool scanned = ApiScanDisk(db_, root_, ShortString(name), "LABEL");
    const bool saved = scanned && ApiSaveDisk(db_);
    ApiFreeTreeStruct(db_);
    return saved;
  }

  // As the database window rescans: the old disk is the scan's previous version, then it is
  // deleted and the new one saved.
  bool rescan(const std::string& name, const std::string& path) {
    ShortString found(name);
    int32_t index = -1;
    if (!ApiFindDisk(db_, found, index) || !ApiLoadOldDisk(db_, index)) return false;
    ApiFreeTreeStruct(db_);
    if (!ApiScanDisk(db_, path, ShortString(name), "LABEL")) return false;
    ApiKeepTreeAsOld(db_);
    const bool deleted = ApiDeleteDisk(db_, index);
    ApiRestoreOldTree(db_);
    const bool saved = deleted && ApiSaveDisk(db_);
    ApiFreeTreeStruct(db_);
    ApiFreeOldTreeStruct(db_);
    return saved;
  }

  // The line of the current folder with this name and extension.
  TOneFile lineNamed(const std::string& name) {
    TFileCollection* files = ApiGetFileCol(db_);
    TOneFile line;
    for (int32_t i = 0; i < ApiFileColCount(files); ++i) {
      ApiFileColAt(files, i, line);
      if (line.Name.str() + std::string(line.Data.Ext.view()) == name) return line;
    }
    ADD_FAILURE() << name << " not listed";
    return {};
  }

  std::vector<std::string> diskNames() {
    std::vector<std::string> names;
    ShortString name;
    uint16_t flags = 0;
    for (int32_t i = 0; i < ApiGetKeyCount(db_); ++i) {
      EXPECT_TRUE(ApiGetKey(db_, name, flags, i));
      names.push_back(name.str());
    }
    return names;
  }

  test::TempFolder disk_{"apidisk"};
  test::TempFolder dbFolder_{"apidb"};
  std::string dbPath_ = dbFolder_.at("disks.kvd");
  std::string root_;
  TDBase* db_ = nullptr;
};

TEST_F(ApiDiskTest, ScannedDiskIsSavedBrowsedAndFoundByPath) {
  disk_.file("photos/2001/a.jpg", "jpeg");
  disk_.file("readme.txt", "hello");
  ASSERT_TRUE(scanNew("Photos"));
  ASSERT_TRUE(ApiGoToDiskByName(db_, "PHOTOS"));
  TDiskInfo info;
  ASSERT_TRUE(ApiGetDiskInfo(db_, info));
  EXPECT_EQ(info.DiskName.str(), "Photos");
  EXPECT_EQ(info.Folders, 2);
  EXPECT_EQ(info.Files, 2);

  ShortString path;
  ASSERT_TRUE(ApiGetCurrentPath(db_, path));
  EXPECT_EQ(path.str(), "\\");
  EXPECT_EQ(lineNamed("readme.txt").Data.Size, 5);
  ASSERT_TRUE(ApiGoToPath(db_, "\\photos\\2001"));
  EXPECT_FALSE(ApiGoToPath(db_, "\\PHOTOS")) << "found, but its path is written otherwise";
  ASSERT_TRUE(ApiGetCurrentPath(db_, path));
  EXPECT_EQ(path.str(), "\\photos");
  EXPECT_FALSE(ApiGoToPath(db_, "\\photos\\1999"));
  ASSERT_TRUE(ApiGetCurrentPath(db_, path));
  EXPECT_EQ(path.str(), "\\photos") << "an unknown path leaves the current folder";
  const TOneFile year = lineNamed("2001");
  ASSERT_NE(year.SubDir, nullptr);
  ApiSetCurrentDirCol(db_, year.SubDir);
  ApiUpdateFileCol(db_);
  EXPECT_EQ(lineNamed("a.jpg").Data.Size, 4);
  EXPECT_EQ(lineNamed("..").SubDir, ApiDirColAt(ApiGetRootDirCol(db_), 0));
  TOneDir record;
  ASSERT_TRUE(ApiDirColCheck(ApiGetCurrentDirCol(db_), record));
  EXPECT_EQ(record.Name.str(), "2001");
  EXPECT_EQ(record.Data.FileCount, 1);
  EXPECT_FALSE(ApiIsInArchive(db_));

  ShortString name, label, scanned;
  uint16_t flags = 9;
  int32_t index = -1;
  ASSERT_TRUE(ApiGetCurrentDiskDetails(db_, name, 255, label, 3, scanned, 255, flags, index));
  EXPECT_EQ(name.str(), "Photos");
  EXPECT_EQ(label.str(), "LAB");
  EXPECT_EQ(scanned.str(), root_);
  EXPECT_EQ(flags, 0);
  EXPECT_EQ(index, 0);
}

TEST_F(ApiDiskTest, UnchangedRescanAddsOnlyTheDiskBlockAndKeepsDescriptions) {
  disk_.file("docs/a.txt", "aaa");
  disk_.file("b.txt", "bb");
  ASSERT_TRUE(scanNew("Docs"));
  ASSERT_TRUE(ApiGoToDiskByName(db_, "Docs"));
  int32_t entry = lineNamed("b.txt").EntryOffset;
  ASSERT_TRUE(ApiSetDesc(db_, entry, "the b file"));
  int32_t folderEntry = lineNamed("docs").EntryOffset;
  ASSERT_TRUE(ApiSetDesc(db_, folderEntry, "the folder"));
  ApiFreeTreeStruct(db_);

  const auto sizeBefore = static_cast<int32_t>(test::contentOf(dbPath_).size());
  ASSERT_TRUE(rescan("Docs", root_ + "\\"));
  const auto sizeAfter = static_cast<int32_t>(test::contentOf(dbPath_).size());
  EXPECT_EQ(sizeAfter - sizeBefore, blockLengthAt(dbPath_, sizeBefore))
      << "one disk block, every file list shared";

  EXPECT_EQ(diskNames(), std::vector<std::string>{"Docs"});
  ASSERT_TRUE(ApiGoToDiskByName(db_, "Docs"));
  const TOneFile b = lineNamed("b.txt");
  EXPECT_EQ(b.Data.Attr & kAttrUserDesc, kAttrUserDesc);
  ShortString text;
  ASSERT_TRUE(ApiGetShortDesc(db_, b.Data.DescOffset, text));
  EXPECT_EQ(text.str(), "the b file");
  const TOneFile docs = lineNamed("docs");
  EXPECT_EQ(docs.Data.DescOffset, folderEntry) << "a folder keeps its description too";
  ASSERT_NE(docs.SubDir, nullptr);
  EXPECT_EQ(docs.SubDir->Dir.Data.DescOffset, folderEntry);
  TLocalOptions options;
  ApiGetLocalOptions(db_, options);
  options.ShowDeleted = true;
  ApiSetLocalOptions(db_, options);
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"Docs", "Docs [1]"}));
}

TEST_F(ApiDiskTest, ChangedFilesGetANewFileListAndKeepUserDescriptions) {
  struct Case {
    const char* change;
    std::function<void(const std::string& file)> apply;
  };
  const timespec kept[2] = {{1000000000, 0}, {1000000000, 0}};
  const Case cases[] = {
      {"size only",
       [&](const std::string& file) {
         std::ofstream(file, std::ios::binary) << "longer text";
         ::utimensat(AT_FDCWD, file.c_str(), kept, 0);
       }},
      {"case only",
       [&](const std::string& file) {
         ::rename(file.c_str(), (file.substr(0, file.size() - 5) + "A.txt").c_str());
       }},
      {"date",
       [&](const std::string& file) {
         const timespec later[2] = {{1200000000, 0}, {1200000000, 0}};
         ::utimensat(AT_FDCWD, file.c_str(), later, 0);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.change);
    const std::string file = disk_.file("a.txt", "short");
    ::utimensat(AT_FDCWD, file.c_str(), kept, 0);
    ASSERT_TRUE(scanNew(c.change));
    ASSERT_TRUE(ApiGoToDiskByName(db_, c.change));
    const int32_t oldList = ApiGetRootDirCol(db_)->Dir.Data.FileListOffset;
    int32_t entry = lineNamed("a.txt").EntryOffset;
    ASSERT_TRUE(ApiSetDesc(db_, entry, "mine"));
    ApiFreeTreeStruct(db_);

    c.apply(file);
    ASSERT_TRUE(rescan(c.change, root_));
    ASSERT_TRUE(ApiGoToDiskByName(db_, c.change));
    EXPECT_NE(ApiGetRootDirCol(db_)->Dir.Data.FileListOffset, oldList) << "no stale list";
    TFileCollection* files = ApiGetFileCol(db_);
    ASSERT_EQ(ApiFileColCount(files), 1);
    TOneFile line;
    ApiFileColAt(files, 0, line);
    EXPECT_EQ(line.Data.DescOffset, entry) << "the description the user wrote stays";
    EXPECT_EQ(line.Data.Attr & kAttrUserDesc, kAttrUserDesc);
    ApiFreeTreeStruct(db_);
    for (const auto& left : std::filesystem::directory_iterator(disk_.path())) {
      std::filesystem::remove(left.path());
    }
  }
}

TEST_F(ApiDiskTest, AbortedScanLeavesTheStoredDisksAsTheyWere) {
  disk_.file("old.txt", "1");
  ASSERT_TRUE(scanNew("Old"));
  disk_.file("a/1.txt", "1");
  disk_.file("b/2.txt", "2");
  const size_t sizeBefore = test::contentOf(dbPath_).size();
  pollsLeft = 4;  // the walk of root, a and b, the file pass of the root, then a
  EXPECT_FALSE(ApiScanDisk(db_, root_, "New", ""));
  EXPECT_EQ(ApiDirColCount(ApiGetRootDirCol(db_)), 0);
  EXPECT_EQ(ApiGetRootDirCol(db_)->Dir.Data.FileListOffset, 0);
  EXPECT_GT(test::contentOf(dbPath_).size(), sizeBefore) << "the root's list was written";
  ApiFreeTreeStruct(db_);
  reopen();
  EXPECT_EQ(diskNames(), std::vector<std::string>{"Old"});
  ASSERT_TRUE(ApiGoToDisk(db_, 0));
  EXPECT_EQ(lineNamed("old.txt").Data.Size, 1);
}

// Linux disks hold what Windows disks never did: folders nested past 255 bytes of path and
// names with a backslash. All of it is catalogued, rescanned with its descriptions, found, and
// handed out with its path cut to its tail.
TEST_F(ApiDiskTest, DeepFoldersAndBackslashNamesAreCataloguedRescannedAndFound) {
  std::string deep;
  for (char c = 'a'; c < 'i'; ++c) deep += std::string(60, c) + "/";
  disk_.file(deep + "bottom.txt", "deep down");
  test::writeBytes(disk_, deep + "pack.zip", test::buildZip({{}, {{"inner.txt", 7}}}));
  disk_.file("back\\slash.txt", "slashed");
  disk_.file("dir\\with\\back/inside.txt", "inside");
  TLocalOptions options;
  ApiGetLocalOptions(db_, options);
  options.ScanDesc = true;
  options.DescFileTable = "*.txt|500||";
  ApiSetLocalOptions(db_, options);
  ASSERT_TRUE(scanNew("Deep"));

  ASSERT_TRUE(ApiGoToDiskByName(db_, "Deep"));
  TDiskInfo info;
  ASSERT_TRUE(ApiGetDiskInfo(db_, info));
  EXPECT_EQ(info.Folders, 8 + 1);
  EXPECT_EQ(info.Files, 4);
  EXPECT_EQ(info.Archives, 1);
  EXPECT_EQ(info.ArchiveFiles, 1);
  const TOneFile slash = lineNamed("back/slash.txt");
  EXPECT_EQ(slash.Data.Size, 7);
  ShortString text;
  ASSERT_TRUE(ApiGetShortDesc(db_, slash.Data.DescOffset, text));
  EXPECT_EQ(text.str(), "slashed") << "read through the name's own backslash";
  int32_t slashEntry = slash.EntryOffset;
  ASSERT_TRUE(ApiSetDesc(db_, slashEntry, "mine"));

  // Browsing by folder nodes reaches the bottom; its path comes out cut to its tail.
  const auto goToBottom = [this] {
    TDirCollection* node = ApiGetRootDirCol(db_);
    for (int level = 0; level < 8; ++level) node = ApiDirColAt(node, 0);
    ApiSetCurrentDirCol(db_, node);
    ApiUpdateFileCol(db_);
  };
  goToBottom();
  TDirCollection* const bottomFolder = ApiGetCurrentDirCol(db_);
  const TOneFile bottom = lineNamed("bottom.txt");
  EXPECT_EQ(bottom.Data.Size, 9);
  ASSERT_TRUE(ApiGetShortDesc(db_, bottom.Data.DescOffset, text));
  EXPECT_EQ(text.str(), "deep down");
  const TOneFile pack = lineNamed("pack.zip");
  ASSERT_NE(pack.SubDir, nullptr) << "listed as a folder";
  ShortString path, shorter;
  ASSERT_TRUE(ApiGetCurrentPath(db_, path));
  ASSERT_TRUE(ApiGetCurrentPath(db_, shorter, 70));
  const std::string tail = "\\" + std::string(60, 'h');
  EXPECT_EQ(path.str(), std::string(kCutPathMarker) + "\\" + std::string(60, 'e') + "\\" +
                            std::string(60, 'f') + "\\" + std::string(60, 'g') + tail);
  EXPECT_EQ(shorter.str(), std::string(kCutPathMarker) + tail);
  // The path as stored, cut, leads back to its folder from anywhere in the tree.
  ASSERT_TRUE(ApiGoToPath(db_, "\\"));
  EXPECT_TRUE(ApiGoToPath(db_, path)) << "a cut path leads to the folder it was cut from";
  EXPECT_EQ(ApiGetCurrentDirCol(db_), bottomFolder);
  EXPECT_EQ(lineNamed("bottom.txt").Data.Size, 9);
  EXPECT_FALSE(ApiGoToPath(db_, ShortString(std::string(kCutPathMarker) + "\\nowhere")))
      << "a tail that no folder ends in leads nowhere";
  ASSERT_TRUE(ApiGetCurrentPath(db_, shorter));
  EXPECT_EQ(shorter, path) << "and leaves the current folder";
  int32_t bottomEntry = bottom.EntryOffset;
  ASSERT_TRUE(ApiSetDesc(db_, bottomEntry, "at the bottom"));
  ApiFreeTreeStruct(db_);

  ASSERT_TRUE(rescan("Deep", root_));
  ASSERT_TRUE(ApiGoToDiskByName(db_, "Deep"));
  ASSERT_TRUE(ApiGetDiskInfo(db_, info));
  EXPECT_EQ(info.Files, 4);
  EXPECT_EQ(info.ArchiveFiles, 1) << "the unchanged archive carried over";
  EXPECT_EQ(lineNamed("back/slash.txt").Data.DescOffset, slashEntry);
  ASSERT_TRUE(ApiGoToPath(db_, "\\dir/with/back"));
  ASSERT_TRUE(ApiGetShortDesc(db_, lineNamed("inside.txt").Data.DescOffset, text));
  EXPECT_EQ(text.str(), "inside");

  struct Search {
    const char* mask;
    std::string folder;
  };
  const Search searches[] = {
      {"bottom.txt", path.str()},
      {"inner.txt", path.str().substr(0, 3) + path.str().substr(3 + 61) + "\\pack.zip"},
      {"back/slash.txt", "\\"},
      {"inside.txt", "\\dir/with/back"},
  };
  for (const Search& search : searches) {
    ApiSearch(db_, testing::fileNameRequest(search.mask));
    ASSERT_EQ(ApiFoundCount(db_), 1) << search.mask;
    TOneFile found;
    ShortString disk, folder, desc;
    ASSERT_TRUE(ApiGetFoundItem(db_, 0, found, disk, folder, desc));
    EXPECT_EQ(folder.str(), search.folder) << search.mask;
  }
  ApiFreeTreeStruct(db_);
  ASSERT_TRUE(ApiGoToDiskByName(db_, "Deep"));
  EXPECT_EQ(lineNamed("back/slash.txt").Data.Attr & kAttrUserDesc, kAttrUserDesc);
  goToBottom();
  EXPECT_EQ(lineNamed("bottom.txt").Data.DescOffset, bottomEntry);

  // An archive listed anew finds its previous version by its whole path.
  const auto goToArchive = [this, &goToBottom] {
    goToBottom();
    ApiSetCurrentDirCol(db_, lineNamed("pack.zip").SubDir);
    ApiUpdateFileCol(db_);
  };
  goToArchive();
  int32_t innerEntry = lineNamed("inner.txt").EntryOffset;
  ASSERT_TRUE(ApiSetDesc(db_, innerEntry, "a member"));
  ApiFreeTreeStruct(db_);
  ApiGetLocalOptions(db_, options);
  options.AlwaysRescanArchives = true;
  ApiSetLocalOptions(db_, options);
  ASSERT_TRUE(rescan("Deep", root_));
  ASSERT_TRUE(ApiGoToDiskByName(db_, "Deep"));
  goToArchive();
  EXPECT_EQ(lineNamed("inner.txt").Data.DescOffset, innerEntry);
  ApiFreeTreeStruct(db_);

  // A folder deeper than a record holds is scanned whole as a disk of its own; the disk keeps
  // its path cut to its tail.
  std::string bottomPath = root_;
  for (char c = 'a'; c < 'i'; ++c) bottomPath += "\\" + std::string(60, c);
  ASSERT_TRUE(ApiScanDisk(db_, bottomPath, "Bottom", ""));
  ASSERT_TRUE(ApiSaveDisk(db_));
  ApiFreeTreeStruct(db_);
  ASSERT_TRUE(ApiGoToDiskByName(db_, "Bottom"));
  EXPECT_EQ(lineNamed("bottom.txt").Data.Size, 9);
  ShortString name, label, base;
  uint16_t flags = 0;
  int32_t index = 0;
  ASSERT_TRUE(ApiGetCurrentDiskDetails(db_, name, 255, label, 255, base, 255, flags, index));
  EXPECT_EQ(base, CutPathToTail(bottomPath, ShortString::kMaxLength));
}

TEST_F(ApiDiskTest, DeletingNamesTheDiskUnlessItsNameEndsInABracket) {
  for (const char* name : {"x [3]", "plain", "also"}) ASSERT_TRUE(scanNew(name));
  TLocalOptions options;
  ApiGetLocalOptions(db_, options);
  options.ShowDeleted = true;
  ApiSetLocalOptions(db_, options);
  ASSERT_EQ(diskNames(), (std::vector<std::string>{"also", "plain", "x [3]"}));
  ASSERT_TRUE(ApiDeleteDisk(db_, 2));
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"also", "plain", "x [3]"}));
  ASSERT_TRUE(ApiDeleteDisk(db_, 1));
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"also", "plain [1]", "x [3]"}))
      << "the counter moved only for the second";
  uint16_t flags = 0;
  ShortString name;
  ApiGetKey(db_, name, flags, 1);
  EXPECT_EQ(flags & kKeyDeleted, kKeyDeleted);
  EXPECT_FALSE(ApiDeleteDisk(db_, 3));
  EXPECT_FALSE(ApiDeleteDisk(db_, -1));

  ASSERT_TRUE(ApiRenameDisk(db_, 1, "back", true));
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"also", "back", "x [3]"}));
  ApiGetKey(db_, name, flags, 1);
  EXPECT_EQ(flags & kKeyDeleted, 0);
  ShortString rebuilt;
  ASSERT_TRUE(ApiCloseDBase(db_, false));
  ASSERT_TRUE(ApiOpenDBase(ShortString(dbPath_), true, db_, rebuilt));
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"also", "back", "x [3]"}))
      << "a key table rebuilt from the blocks agrees";
  ApiGetKey(db_, name, flags, 2);
  EXPECT_EQ(flags & kKeyDeleted, kKeyDeleted);
}

TEST_F(ApiDiskTest, DisksOfTheSameNameAreLoadedEachFromItsOwnBlock) {
  disk_.file("first.txt", "1");
  ASSERT_TRUE(scanNew("same"));
  std::filesystem::remove(disk_.at("first.txt"));
  disk_.file("second.txt", "22");
  ASSERT_TRUE(scanNew("same"));
  std::vector<std::string> seen;
  for (const int32_t index : {0, 1, 0}) {
    ASSERT_TRUE(ApiGoToDisk(db_, index));
    TOneFile line;
    ApiFileColAt(ApiGetFileCol(db_), 0, line);
    seen.push_back(line.Name.str());
  }
  EXPECT_NE(seen[0], seen[1]);
  EXPECT_EQ(seen[0], seen[2]);
  ApiUpdateFileCol(db_);
  const TFileCollection* before = ApiGetFileCol(db_);
  ASSERT_TRUE(ApiReloadCurrentDisk(db_, true));
  EXPECT_EQ(ApiGetFileCol(db_), before) << "the loaded disk is not read again";
  ApiFreeTreeStruct(db_);
  EXPECT_FALSE(ApiReloadCurrentDisk(db_, true));
  EXPECT_FALSE(ApiGoToDisk(db_, 2));
}

TEST_F(ApiDiskTest, PreviousVersionRestoredAsCurrentListsItsRoot) {
  disk_.file("docs/a.txt", "aaa");
  disk_.file("b.txt", "bb");
  ASSERT_TRUE(scanNew("Docs"));
  ASSERT_TRUE(ApiLoadOldDisk(db_, 0));
  ApiRestoreOldTree(db_);
  TFileCollection* files = ApiGetFileCol(db_);
  ASSERT_EQ(ApiFileColCount(files), 2);
  EXPECT_EQ(lineNamed("docs").SubDir, ApiGetRootDirCol(db_)->ItemAt(0));
  EXPECT_EQ(lineNamed("b.txt").Data.Size, 2);
  // The lines handed out in place are the records, in their order.
  const std::span<const TOneFile* const> lines = ApiFileColLines(files);
  ASSERT_EQ(lines.size(), 2u);
  for (int32_t i = 0; i < 2; ++i) {
    TOneFile line;
    ApiFileColAt(files, i, line);
    EXPECT_EQ(*lines[static_cast<size_t>(i)], line);
  }
}

TEST_F(ApiDiskTest, DeletingSelectedDisksStopsAtTheFirstFailure) {
  for (const char* name : {"a", "b"}) ASSERT_TRUE(scanNew(name));
  ApiSelectKey(db_, true, 0);
  ApiSelectKey(db_, true, 1);
  ASSERT_TRUE(ApiCloseDBase(db_, true));  // a read-only export opens read-only
  open();
  ApiSelectKey(db_, true, 0);
  EXPECT_FALSE(ApiDeleteSelectedDisks(db_));
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"a", "b"}));
}

// The file system refuses writes from limit on: the key table, in front of the data area, is
// written, the disk blocks behind it are not. A deletion reports a failure only where its key
// table did not reach the disk, and the file holds what the answer says.
TEST_F(ApiDiskTest, ADeletionFailsOnlyWhereItsKeyTableWasNotWritten) {
  struct Case {
    const char* what;
    uint64_t limit;
    bool selected;
    bool deleted;
  };
  const Case cases[] = {
      {"block rewrite refused", kDataAreaOffset, false, true},
      {"block rewrite refused, selected disks", kDataAreaOffset, true, true},
      {"key table refused", kKeyFieldOffset, false, false},
  };
  for (const Case& k : cases) {
    ApiCloseDBase(db_, false);
    std::filesystem::remove(dbPath_);
    ASSERT_TRUE(ApiCreateDBase(ShortString(dbPath_)));
    open();
    for (const char* name : {"a", "b"}) ASSERT_TRUE(scanNew(name));
    std::string error;
    bool answer = false;
    withFileSizeLimit(k.limit, [&] {
      try {
        if (k.selected) ApiSelectKey(db_, true, 1);
        answer = k.selected ? ApiDeleteSelectedDisks(db_) : ApiDeleteDisk(db_, 1);
      } catch (const EKstvException& e) {
        error = e.what();
      }
    });
    EXPECT_EQ(answer, k.deleted) << k.what;
    EXPECT_EQ(error, k.deleted ? "" : "File writing error.") << k.what;
    const std::vector<std::string> live =
        k.deleted ? std::vector<std::string>{"a"} : std::vector<std::string>{"a", "b"};
    EXPECT_EQ(diskNames(), live) << k.what;
    reopen();
    EXPECT_EQ(diskNames(), live) << k.what << ", as the file holds it";
  }
}

TEST_F(ApiDiskTest, DamagedDiskBlockIsNeitherRenamedNorDeleted) {
  ASSERT_TRUE(scanNew("good"));
  const auto second = static_cast<int32_t>(test::contentOf(dbPath_).size());
  ASSERT_TRUE(scanNew("bad"));
  ASSERT_TRUE(ApiCloseDBase(db_, false));
  std::string bytes = test::contentOf(dbPath_);
  bytes[static_cast<size_t>(second) + 8] = 7;  // no disk block's kind
  std::ofstream(dbPath_, std::ios::binary) << bytes;
  open();
  const std::vector<std::string> names = diskNames();
  const auto damaged = std::find(names.begin(), names.end(), "???");
  ASSERT_NE(damaged, names.end());
  const auto index = static_cast<int32_t>(damaged - names.begin());
  EXPECT_FALSE(ApiRenameDisk(db_, index, "fixed", false));
  EXPECT_FALSE(ApiDeleteDisk(db_, index));
  EXPECT_FALSE(ApiRenameDisk(db_, 2, "nowhere", false));
  ASSERT_TRUE(ApiCloseDBase(db_, false));
  const std::string after = test::contentOf(dbPath_);
  EXPECT_EQ(after.substr(64961), bytes.substr(64961)) << "nothing written over the damage";
  open();
}

// The file system refuses to grow the database part-way through an import: the disks it held
// still browse, with no damage claimed.
TEST_F(ApiDiskTest, ImportWhoseWritesFailLeavesTheDisksSavedBeforeBrowsing) {
  for (int i = 0; i < 300; ++i) disk_.file("many/file" + std::to_string(i) + ".txt", "x");
  for (const char* name : {"a", "b"}) ASSERT_TRUE(scanNew(name));
  const std::string otherPath = dbFolder_.at("other.kvd");
  ASSERT_TRUE(ApiCreateDBase(ShortString(otherPath)));
  TDBase* other = nullptr;
  ShortString error;
  ASSERT_TRUE(ApiOpenDBase(ShortString(otherPath), false, other, error)) << error.str();
  std::swap(db_, other);
  ASSERT_TRUE(scanNew("c"));
  std::swap(db_, other);

  bool imported = true;
  withFileSizeLimit(std::filesystem::file_size(dbPath_) + 64, [&] {
    try {
      imported = ApiCompressDBase(other, db_, true, true, false);
    } catch (const EKstvException&) {
      imported = false;
    }
  });
  ApiCloseDBase(other, false);

  EXPECT_FALSE(imported);
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"a", "b"}));
  ApiClearErrorCount(db_);
  for (const char* name : {"a", "b"}) {
    ASSERT_TRUE(ApiGoToDiskByName(db_, ShortString(name))) << name;
    ASSERT_TRUE(ApiGoToPath(db_, ShortString("\\many"))) << name;
    EXPECT_GE(ApiFileColCount(ApiGetFileCol(db_)), 300) << name;
  }
  EXPECT_EQ(ApiGetErrorCount(db_), 0);
}

TEST_F(ApiDiskTest, MissingTreesNodesAndListsRaiseTheirTexts) {
  TDiskInfo info;
  TOneDir record;
  TOneFile line;
  TDirTotals totals;
  totals.Files = 5;
  const std::function<void()> noTree[] = {
      [&] { ApiGetDiskInfo(db_, info); }, [&] { ApiGetRootDirCol(db_); },
      [&] { ApiGetCurrentDirCol(db_); },  [&] { ApiSetCurrentDirCol(db_, nullptr); },
      [&] { ApiGetFileCol(db_); },        [&] { ApiUpdateFileCol(db_); },
      [&] { ApiGoToPath(db_, "\\"); },
  };
  for (const auto& call : noTree) {
    EXPECT_EQ(fatalTextOf(call), "Internal error 501: TreeStructIsNil");
  }
  EXPECT_EQ(fatalTextOf([&] { ApiGetDiskInfo(nullptr, info); }), "Internal error 500: DBaseIsNil");
  EXPECT_FALSE(ApiGetCurrentDirTotals(db_, totals));
  EXPECT_EQ(totals.Files, 0);
  EXPECT_FALSE(ApiIsInArchive(db_));
  ShortString path("kept");
  EXPECT_FALSE(ApiGetCurrentPath(db_, path));
  EXPECT_EQ(path.str(), "");

  ASSERT_TRUE(ApiScanDisk(db_, root_, "d", ""));
  TDirCollection foreign(nullptr, 0, false);
  const std::function<void()> noNode[] = {
      [&] { ApiDirColCount(nullptr); },
      [&] { ApiDirColAt(nullptr, 0); },
      [&] { ApiDirColCheck(nullptr, record); },
      [&] { ApiSetCurrentDirCol(db_, nullptr); },
      [&] { ApiSetCurrentDirCol(db_, &foreign); },
  };
  for (const auto& call : noNode) {
    EXPECT_EQ(fatalTextOf(call), "Internal error 506: DirColHandleIsNil");
  }
  EXPECT_EQ(fatalTextOf([&] { ApiFileColCount(nullptr); }),
            "Internal error 507: FileColHandleIsNil");
  EXPECT_EQ(fatalTextOf([&] { ApiFileColAt(nullptr, 0, line); }),
            "Internal error 507: FileColHandleIsNil");
  EXPECT_EQ(fatalTextOf([&] { ApiFileColLines(nullptr); }),
            "Internal error 507: FileColHandleIsNil");
  EXPECT_EQ(fatalTextOf([&] { ApiDirColAt(ApiGetRootDirCol(db_), 0); }),
            "Internal problem in list indexing.");
  EXPECT_EQ(ApiGetCurrentDirCol(db_), ApiGetRootDirCol(db_));
}

}  // namespace
}  // namespace vellomar

#include "engine/UEngineArchives.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/UArchiveArc.h"
#include "engine/UArchiveArj.h"
#include "engine/UArchiveLha.h"
#include "engine/UArchiveRar.h"
#include "engine/UArchiveZip.h"
#include "engine/UDBase.h"
#include "engine/UDescriptions.h"
#include "engine/UEngineMain.h"
#include "engine/UTreeStruct.h"
#include "engine/UUnAce.h"
#include "engine/UUnRar.h"
#include "engine/api/UApi.h"
#include "engine/api/UApiGlobals.h"
#include "engine/api/UCallbacks.h"
#include "foundation/UExceptions.h"
#include "platform/PLibrary.h"
#include "platform/PPaths.h"
#include "tests/modules/TestFolders.h"
#include "tests/support/ArchiveBuilders.h"
#include "tests/support/ArchiveFixtures.h"
#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> messages;
std::deque<uint16_t> answers;
std::vector<std::string> asked;

void recordMessage(const ShortString& text) {
  messages.push_back(text.str());
}

uint16_t nextAnswer(const ShortString& text) {
  asked.push_back(text.str());
  if (answers.empty()) return kChoiceScan;
  const uint16_t answer = answers.front();
  answers.pop_front();
  return answer;
}

std::string fullName(const TDirCollection& node) {
  return node.Dir.Name.str() + std::string(node.Dir.Data.Ext.view());
}

TDirCollection* child(const TDirCollection* node, const std::string& name) {
  if (node == nullptr) return nullptr;
  for (TDirCollection* sub : node->Items()) {
    if (fullName(*sub) == name) return sub;
  }
  return nullptr;
}

bool hasMessageStarting(const std::string& start) {
  for (const std::string& m : messages) {
    if (m.starts_with(start)) return true;
  }
  return false;
}

bool isEmptyFolder(const std::string& path) {
  return fs::is_empty(path);
}

// What one archive lists, by the reader its kind calls for.
struct Listed {
  int32_t files = 0;
  int64_t size = 0;
};

Listed listedBy(const std::function<bool(TArchiveEntryList&)>& reader) {
  TArchiveEntryList list;
  EXPECT_TRUE(reader(list));
  Listed listed;
  for (const TArchiveEntry* entry : list.Items()) {
    ++listed.files;
    listed.size += entry->Size;
  }
  return listed;
}

TEST(ArchiveReadersFor, NamesCallForTheirReaders) {
  using R = ArchiveReader;
  TLocalOptions plain;
  TLocalOptions sfx;
  sfx.ScanZipExeArchives = true;
  TLocalOptions deepSfx;
  deepSfx.ScanOtherExeArchives = true;
  struct Case {
    const char* name;
    const char* ext;
    const TLocalOptions& options;
    std::vector<R> readers;
  };
  const Case cases[] = {
      {"backup", ".a01", plain, {R::kArj}},
      {"data", ".r12", plain, {R::kRar}},
      {"file", ".a1x", plain, {}},
      {"Pack", ".ARJ", plain, {R::kArj}},
      {"x", ".rar", plain, {R::kRar}},
      {"x", ".ace", plain, {R::kAce}},
      {"x", ".lzh", plain, {R::kLha}},
      {"x", ".lha", plain, {R::kLha}},
      {"x", ".ice", plain, {R::kLha}},
      {"qb12345x", ".001", plain, {R::kNortonBackup}},
      {"QB12345X", ".001", plain, {R::kNortonBackup}},
      {"qb1234xx", ".001", plain, {}},
      {"qb12345x", ".01", plain, {}},
      {"control", ".001", plain, {R::kDosBackup}},
      {"control", ".txt", plain, {}},
      {"PCBACKUP", ".DIR", plain, {R::kPcBackup}},
      {"pcbackup", ".001", plain, {}},
      {"x", ".ZIP", plain, {R::kZip}},
      {"x", ".arc", plain, {R::kArc}},
      {"setup", ".exe", plain, {}},
      {"setup", ".exe", sfx, {R::kSelfExtractor}},
      {"setup", ".EXE", deepSfx, {R::kSelfExtractor}},
      {"readme", ".txt", sfx, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ArchiveReadersFor(c.name, c.ext, c.options), c.readers) << c.name << c.ext;
  }
}

class ArchiveScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::optional<std::string> system = toSystemPath(disk_.path());
    if (!system) GTEST_SKIP() << "no drive holds the temporary folder";
    root_ = *system;
    ASSERT_TRUE(CreateDBaseFile(db_, dbFolder_.at("scan.kvd")));
    OpenDBaseFile(db_, dbFolder_.at("scan.kvd"), false);
    TLocalOptions& o = db_.LocalOptions;
    o.ScanArchives = kScanArchivesNoPrompt;
    o.ScanDesc = true;
    o.DescFileTable = "*.diz|500||*.txt|500||";
    o.ExtractFromZips = true;
    o.ExtractFromRars = true;
    o.ExtractFromAces = true;
    o.SizeLimitMB = 0;
    o.SimulateDiskInfo = false;
    const char* tmp = std::getenv("TMPDIR");
    if (tmp != nullptr) savedTmp_ = tmp;
    setenv("TMPDIR", temp_.path().c_str(), 1);
    setProgramFolder(test::standInFolder());
    messages.clear();
    answers.clear();
    asked.clear();
    SetCallbacks(nullptr, nextAnswer, recordMessage, nullptr, nullptr, nullptr);
  }

  void TearDown() override {
    ResetCallbacks();
    setProgramFolder(test::standInFolder());
    if (savedTmp_) {
      setenv("TMPDIR", savedTmp_->c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
  }

  std::string put(const std::string& fixtureName, const std::string& at) {
    const std::string target = disk_.at(at);
    fs::create_directories(fs::path(target).parent_path());
    fs::copy_file(test::archiveFixture(fixtureName), target);
    return target;
  }

  bool scan() {
    tree_ = TreeStructInit(db_, false);
    return ScanDiskToTree(*tree_, nullptr, db_.LocalOptions, root_ + "\\", "Disk", "");
  }

  // The description of the file line named name in node; "none" when it has none.
  std::string descriptionOf(TDirCollection* node, const std::string& name) {
    if (node == nullptr) return "no such folder";
    tree_->CurDir = node;
    LoadFileCol(*tree_, 2);
    for (const TOneFile* f : tree_->FileCol->Items()) {
      if (f->Name.str() + std::string(f->Data.Ext.view()) != name) continue;
      if (f->Data.DescOffset == 0) return "none";
      std::string text;
      return ReadFullDesc(db_, f->Data.DescOffset, text) ? text : "unreadable";
    }
    return "no such file";
  }

  // The files of a folder node as stored: name with extension and size.
  std::vector<std::string> filesOf(TDirCollection* node) {
    if (node == nullptr) return {"no such folder"};
    tree_->CurDir = node;
    LoadFileCol(*tree_, 2);
    std::vector<std::string> lines;
    for (const TOneFile* f : tree_->FileCol->Items()) {
      lines.push_back(f->Name.str() + std::string(f->Data.Ext.view()) + " " +
                      std::to_string(static_cast<uint32_t>(f->Data.Size)));
    }
    return lines;
  }

  test::TempFolder disk_{"archdisk"};
  test::TempFolder dbFolder_{"archdb"};
  test::TempFolder temp_{"archtmp"};
  std::optional<std::string> savedTmp_;
  std::string root_;
  TDBase db_;
  std::unique_ptr<TTreeStruct> tree_;
};

TEST_F(ArchiveScanTest, ArchivesOfEveryKindBecomeFoldersWithTheDiskTotals) {
  const std::string zip = put("Zip.shrink.zip", "Zip.shrink.zip");
  const std::string arc = put("Arc.uncompressed.arc", "Arc.uncompressed.arc");
  const std::string arj = put("Arj.store.arj", "Arj.store.arj");
  const std::string rar = put("Rar4.rar", "Rar4.rar");
  const std::string ace = put("Ace.store.ace", "Ace.store.ace");
  const std::string lzh = put("lzh/lha213_subdir.lzh", "sub/deeper/lha213_subdir.lzh");
  const std::string mixed = put("MixedCase.zip", "sub/MixedCase.zip");
  disk_.file("notes.bin", "12345");
  db_.LocalOptions.DescFileTable = "*.diz|500||*.txt|500||*.jpg|200||";
  ASSERT_TRUE(scan());

  const std::vector<Listed> listed = {
      listedBy([&](TArchiveEntryList& l) { return ReadZipCentral(l, zip, 0); }),
      listedBy([&](TArchiveEntryList& l) { return ReadArcArchive(l, arc); }),
      listedBy([&](TArchiveEntryList& l) { return ReadArjArchive(l, arj, 0); }),
      listedBy([&](TArchiveEntryList& l) { return ReadRarArchive(l, rar, 0); }),
      listedBy([&](TArchiveEntryList& l) { return ReadAceArchive(l, ace); }),
      listedBy([&](TArchiveEntryList& l) { return ReadLhaArchive(l, lzh, 0); }),
      listedBy([&](TArchiveEntryList& l) { return ReadZipCentral(l, mixed, 0); }),
  };
  int32_t entries = 0;
  int64_t entrySizes = 0;
  for (const Listed& l : listed) {
    EXPECT_GT(l.files, 0);
    entries += l.files;
    entrySizes += l.size;
  }
  int64_t archiveSizes = 0;
  for (const std::string& path : {zip, arc, arj, rar, ace, lzh, mixed}) {
    archiveSizes += static_cast<int64_t>(fs::file_size(path));
  }
  const TDiskInfo& info = tree_->DiskInfo;
  EXPECT_EQ(info.Folders, 2);
  EXPECT_EQ(info.Files, 8) << "an archive shown as a folder is still a file of the disk";
  EXPECT_EQ(info.Archives, 7);
  EXPECT_EQ(info.ArchiveFiles, entries);
  EXPECT_EQ(info.ArchiveFolders, 3 * 2 + 2 + 3) << "exe and jpg in ARJ, RAR and ACE; LHA; mixed";
  EXPECT_EQ(info.PhysSize, archiveSizes + 5);
  EXPECT_EQ(info.ArchSize, entrySizes);
  EXPECT_EQ(info.DataSize, 5 + entrySizes) << "archives count by their members";

  TDirCollection* root = tree_->Root.get();
  EXPECT_EQ(filesOf(root), std::vector<std::string>{"notes.bin 5"});
  TDirCollection* rarNode = child(root, "Rar4.rar");
  ASSERT_NE(rarNode, nullptr);
  EXPECT_EQ(rarNode->Dir.Data.Attr, kAttrFolder | kAttrArchiveFolder);
  EXPECT_EQ(rarNode->Dir.Data.Size, static_cast<int32_t>(fs::file_size(rar)));
  EXPECT_NE(rarNode->Dir.Data.DateTime, 0);
  EXPECT_TRUE(rarNode->InsideArchive);
  EXPECT_EQ(filesOf(child(rarNode, "exe")), std::vector<std::string>{"test.exe 45056"});
  EXPECT_EQ(filesOf(child(child(root, "Ace.store.ace"), "jpg")),
            std::vector<std::string>{"test.jpg 40372"});
  EXPECT_EQ(child(root, "Zip.shrink.zip")->Dir.Data.FileCount, 3);

  TDirCollection* lzhNode = child(child(child(root, "sub"), "deeper"), "lha213_subdir.lzh");
  ASSERT_NE(lzhNode, nullptr);
  EXPECT_EQ(lzhNode->Dir.Data.FileListOffset, 0) << "all members lie in subdir\\subdir2";
  EXPECT_EQ(filesOf(child(child(lzhNode, "subdir"), "subdir2")),
            std::vector<std::string>{"hello.txt 12"});

  EXPECT_TRUE(hasMessageStarting("Extracting file_id.diz from " + root_ + "\\sub\\MixedCase.zip"));
  EXPECT_EQ(descriptionOf(child(child(root, "sub"), "MixedCase.zip"), "file_id.diz"),
            "Dispatch test disk\r\n second line\r\n");
  EXPECT_EQ(descriptionOf(child(rarNode, "jpg"), "test.jpg").size(), 200u)
      << "through the RAR library";
  EXPECT_EQ(descriptionOf(child(root, "Ace.store.ace"), "Tect.txt.txt").size(), 500u)
      << "through the ACE library";
  EXPECT_EQ(descriptionOf(child(root, "Zip.shrink.zip"), "tect.txt"), "none")
      << "an old method the ZIP library refuses";
  EXPECT_TRUE(isEmptyFolder(temp_.path())) << "every temporary file is gone";
}

TEST_F(ArchiveScanTest, FoldersDifferingOnlyInCaseKeepAllTheirMembers) {
  put("MixedCase.zip", "MixedCase.zip");
  ASSERT_TRUE(scan());
  TDirCollection* node = child(tree_->Root.get(), "MixedCase.zip");
  ASSERT_NE(node, nullptr);
  // "\DOCS\Sub\" comes first and names the folder; "\Docs\" and "\docs\" (lowered from
  // "DOCS") stand apart, with "\Misc\" between them.
  TDirCollection* docs = child(node, "DOCS");
  ASSERT_NE(docs, nullptr);
  EXPECT_EQ(node->Count(), 2) << "DOCS and Misc";
  EXPECT_EQ(filesOf(docs), (std::vector<std::string>{"b.txt 10", "a.txt 30"}));
  EXPECT_EQ(docs->Dir.Data.FileCount, 2);
  EXPECT_EQ(docs->Dir.Data.FilesSize, 40);
  EXPECT_EQ(filesOf(child(docs, "Sub")), std::vector<std::string>{"c.dat 40"});
  EXPECT_EQ(filesOf(child(node, "Misc")), std::vector<std::string>{"m.txt 20"});
  EXPECT_EQ(filesOf(node), std::vector<std::string>{"file_id.diz 34"});
  EXPECT_EQ(tree_->DiskInfo.ArchiveFolders, 3);
  EXPECT_EQ(tree_->DiskInfo.ArchiveFiles, 5);
}

// Members that climb with "..": listed in what is left of their path, and their extraction
// writes only into the private temporary folder.
TEST_F(ArchiveScanTest, MembersThatClimbStayInsideTheArchiveAndTheTemporaryFolder) {
  test::writeBytes(
      disk_, "up.zip",
      test::buildZip({{}, {{"../../escape.txt", 0}, {"./a/./b.txt", 0}, {"a//c.txt", 0}}}));
  ASSERT_TRUE(scan());
  TDirCollection* node = child(tree_->Root.get(), "up.zip");
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->Count(), 1) << "no folder named \".\" or \"..\"";
  EXPECT_EQ(filesOf(node), std::vector<std::string>{"escape.txt 0"});
  EXPECT_EQ(filesOf(child(node, "a")), (std::vector<std::string>{"b.txt 0", "c.txt 0"}));
  EXPECT_TRUE(hasMessageStarting("Extracting escape.txt from "));
  EXPECT_TRUE(isEmptyFolder(temp_.path()));
  for (const fs::path& folder : {fs::path(disk_.path()), fs::path(temp_.path())}) {
    EXPECT_FALSE(fs::exists(folder.parent_path() / "escape.txt"));
    EXPECT_FALSE(fs::exists(folder.parent_path().parent_path() / "escape.txt"));
  }
}

// 100 folders, then 100 levels inside a ZIP, every path under 255 characters: catalogued, saved
// and read back whole.
TEST_F(ArchiveScanTest, ZipDeepInADeepTreeIsCataloguedWhole) {
  constexpr int kLevels = 100;
  std::string folders;
  std::string member;
  for (int level = 0; level < kLevels; ++level) {
    folders += "a/";
    member += "b/";
  }
  test::writeBytes(disk_, folders + "d.zip", test::buildZip({{}, {{member + "f.txt", 7}}}));
  ASSERT_TRUE(scan());
  db_.Trees.Current = std::move(tree_);
  ASSERT_TRUE(SaveTreeStruct(db_, db_.Trees, false));
  LoadTreeStruct(db_, db_.Trees, db_.keyTable().keys().Keys[0].Offset, 0);
  tree_ = std::move(db_.Trees.Current);
  EXPECT_EQ(db_.DamageCounter, 0);
  const TDirCollection* node = tree_->Root.get();
  for (int level = 0; level < kLevels; ++level) node = child(node, "a");
  node = child(node, "d.zip");
  for (int level = 0; level < kLevels; ++level) node = child(node, "b");
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(filesOf(const_cast<TDirCollection*>(node)), std::vector<std::string>{"f.txt 7"});
  EXPECT_EQ(tree_->Root->Totals.Folders, 2 * kLevels + 1);
}

TEST_F(ArchiveScanTest, RescannedArchiveKeepsTheDescriptionsOfItsFormerVersion) {
  put("MixedCase.zip", "MixedCase.zip");
  const ShortString path(root_ + "\\");
  ASSERT_TRUE(ApiScanDisk(&db_, path.view(), "Disk", ""));
  ASSERT_TRUE(ApiSaveDisk(&db_));
  ASSERT_TRUE(ApiLoadOldDisk(&db_, 0));
  db_.LocalOptions.AlwaysRescanArchives = true;
  db_.LocalOptions.ScanDesc = false;
  messages.clear();
  ASSERT_TRUE(ApiScanDisk(&db_, path.view(), "Disk", ""));
  EXPECT_TRUE(hasMessageStarting("Scanning contents of ")) << "listed anew";
  EXPECT_FALSE(hasMessageStarting("Extracting "));
  tree_ = std::move(db_.Trees.Current);
  EXPECT_EQ(descriptionOf(child(tree_->Root.get(), "MixedCase.zip"), "file_id.diz"),
            "Dispatch test disk\r\n second line\r\n");
}

TEST_F(ArchiveScanTest, PromptAnswersHoldAsTheUserGaveThem) {
  for (const char* name : {"a.zip", "b.zip", "c.zip"}) {
    test::writeBytes(disk_, name, test::buildZip({{}, {{"inner.dat", 3, 0x58210000}}}));
  }
  struct Case {
    uint8_t scanKind;
    std::vector<uint16_t> answers;
    size_t questions;
    int32_t listed;
  };
  const Case cases[] = {
      {kScanArchivesPrompt, {kChoiceSkip, kChoiceSkipAll}, 2, 0},
      {kScanArchivesPrompt, {kChoiceScan, kChoiceScanAll}, 2, 3},
      {kScanArchivesPrompt, {kChoiceScan, kChoiceSkip, kChoiceScan}, 3, 2},
      // Another answer keeps the one before, which starts as skip.
      {kScanArchivesPrompt, {99, kChoiceScan, 99}, 3, 2},
      {kScanArchivesNoPrompt, {}, 0, 3},
      {kScanArchivesNo, {}, 0, 0},
  };
  for (const Case& c : cases) {
    db_.LocalOptions.ScanArchives = c.scanKind;
    answers.assign(c.answers.begin(), c.answers.end());
    asked.clear();
    ASSERT_TRUE(scan());
    SCOPED_TRACE(testing::Message()
                 << "kind " << int{c.scanKind} << ", " << c.answers.size() << " answers");
    EXPECT_EQ(asked.size(), c.questions);
    if (!asked.empty()) {
      EXPECT_EQ(asked.front(), root_ + "\\a.zip");
    }
    EXPECT_EQ(tree_->DiskInfo.Archives, c.listed);
    EXPECT_EQ(tree_->Root->Count(), c.listed);
    EXPECT_EQ(tree_->DiskInfo.ArchiveFiles, c.listed);
  }
}

TEST_F(ArchiveScanTest, SelfExtractorIsListedAndExtractedAsTheKindFound) {
  // A ZIP behind a program stub, its offsets left as they were in the bare archive.
  test::Bytes exe(3000, 0x4D);
  const std::vector<uint8_t> zip = test::fileBytes(test::archiveFixture("MixedCase.zip"));
  exe.insert(exe.end(), zip.begin(), zip.end());
  test::writeBytes(disk_, "setup.exe", exe);
  db_.LocalOptions.ScanZipExeArchives = true;
  ASSERT_TRUE(scan());
  TDirCollection* node = child(tree_->Root.get(), "setup.exe");
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(tree_->DiskInfo.ArchiveFiles, 5);
  EXPECT_EQ(descriptionOf(node, "file_id.diz"), "Dispatch test disk\r\n second line\r\n");
}

TEST_F(ArchiveScanTest, AnArchiveWithoutMembersStaysAFileButCounts) {
  const std::string path =
      test::writeBytes(disk_, "empty.zip", test::buildZip({{}, {{"only/", 0, 0}}}));
  ASSERT_TRUE(scan());
  const TDiskInfo& info = tree_->DiskInfo;
  EXPECT_EQ(info.Archives, 1);
  EXPECT_EQ(tree_->Root->Count(), 0);
  EXPECT_EQ(filesOf(tree_->Root.get()),
            std::vector<std::string>{"empty.zip " + std::to_string(fs::file_size(path))});
  EXPECT_EQ(info.DataSize, static_cast<int64_t>(fs::file_size(path)));
}

TEST_F(ArchiveScanTest, FailedExtractionsLeaveNoTemporaryFile) {
  // The RAR library makes its target before it finds it cannot unpack the member.
  {
    const std::string target = temp_.at("probe.tmp");
    EXPECT_NE(RarExtractFile(test::archiveFixture("Rar15.rar"), "tect.txt", target, 500, 0), 0);
    ASSERT_TRUE(fs::exists(target)) << "the library no longer leaves its target behind";
    fs::remove(target);
  }
  struct Case {
    const char* fixture;
    const char* extracting;
  };
  const Case cases[] = {
      {"Rar15.rar", "Extracting tect.txt from "},
      {"Zip.shrink.zip", "Extracting tect.txt from "},  // an old method the library refuses
  };
  for (const Case& c : cases) {
    fs::remove_all(disk_.path());
    fs::create_directories(disk_.path());
    put(c.fixture, c.fixture);
    messages.clear();
    ASSERT_TRUE(scan());
    EXPECT_TRUE(hasMessageStarting(c.extracting + root_ + "\\" + c.fixture)) << c.fixture;
    EXPECT_TRUE(isEmptyFolder(temp_.path())) << c.fixture;
    EXPECT_EQ(tree_->DiskInfo.ArchiveFiles, 3) << c.fixture;
  }
}

// The members of a scan are extracted one after the other under one name: what a failed
// extraction leaves there must be gone before the next member.
TEST_F(ArchiveScanTest, EveryMemberFindsTheTemporaryFolderWithoutFiles) {
  static std::vector<int> filesSeen;
  filesSeen.clear();
  SetCallbacks(
      nullptr, nextAnswer,
      [](const ShortString& text) {
        if (!text.view().starts_with("Extracting ")) return;
        int files = 0;
        for (const auto& entry : fs::recursive_directory_iterator(std::getenv("TMPDIR"))) {
          files += entry.is_regular_file() ? 1 : 0;
        }
        filesSeen.push_back(files);
      },
      nullptr, nullptr, nullptr);
  put("Rar15.rar", "Rar15.rar");  // the RAR library leaves its target behind for these members
  db_.LocalOptions.DescFileTable = "*.txt|500||*.exe|500||*.jpg|500||";
  ASSERT_TRUE(scan());
  EXPECT_EQ(filesSeen, std::vector<int>(3, 0));
  EXPECT_TRUE(isEmptyFolder(temp_.path()));
}

TEST_F(ArchiveScanTest, SizeLimitInMegabytesWithZeroForNone) {
  put("Large.zip", "Large.zip");  // big.txt: 2720000 bytes, 2 MB by whole megabytes
  struct Case {
    int32_t limit;
    bool extracted;
  };
  const Case cases[] = {{0, true}, {1, false}, {2, true}, {3, true}};
  for (const Case& c : cases) {
    db_.LocalOptions.SizeLimitMB = c.limit;
    messages.clear();
    ASSERT_TRUE(scan());
    EXPECT_EQ(hasMessageStarting("Extracting big.txt from "), c.extracted) << c.limit;
  }
}

TEST_F(ArchiveScanTest, ZipLibraryLoadedForTheScanOnlyWhileItsOptionIsOn) {
  put("MixedCase.zip", "MixedCase.zip");
  ASSERT_TRUE(scan());
  const auto position = [](const std::string& text) {
    return std::find(messages.begin(), messages.end(), text) - messages.begin();
  };
  const auto loading = position("Loading library VUnZip32.dll");
  const auto releasing = position("Releasing library VUnZip32.dll");
  ASSERT_LT(releasing, static_cast<std::ptrdiff_t>(messages.size()));
  EXPECT_LT(loading, releasing);
  for (const TArchiveModule* module : tree_->ArchiveModules.Items()) {
    EXPECT_EQ(module->Handle, nullptr);
  }

  test::TempFolder program{"archprog"};
  setProgramFolder(program.path());
  db_.LocalOptions.ExtractFromZips = false;
  messages.clear();
  EXPECT_TRUE(scan()) << "no library is needed";
  EXPECT_FALSE(hasMessageStarting("Loading library"));
  EXPECT_EQ(tree_->ArchiveModules.Count(), 2) << "the built-in RAR and ACE modules";
}

TEST_F(ArchiveScanTest, MissingOrIncompleteZipLibraryEndsTheScan) {
  put("MixedCase.zip", "MixedCase.zip");
  test::TempFolder program{"archprog"};
  setProgramFolder(program.path());
  struct Case {
    const char* library;  // copied in as VUnZip32.dll, none when null
    const char* message;
  };
  const Case cases[] = {
      {nullptr, "The library VUnZip32.dll cannot be open."},
      {"unrar.dll", "Library VUnZip32.dll does not contain all needed functions."},
  };
  for (const Case& c : cases) {
    if (c.library != nullptr) {
      fs::copy_file(test::standInFolder() + c.library, program.at("VUnZip32.dll"));
    }
    try {
      scan();
      ADD_FAILURE() << "the scan went on without the library";
    } catch (const EKstvNormalException& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_EQ(tree_->Root->Count(), 0);
  }
}

// What two scans of the disk came to, archives off and then on: the message that ended each,
// or the archive folders it made.
std::string scanOutcomes(const std::function<bool()>& scan, TLocalOptions& options,
                         const std::function<std::string()>& archiveFolders) {
  std::string outcomes;
  for (const uint8_t archives : {kScanArchivesNo, kScanArchivesNoPrompt}) {
    options.ScanArchives = archives;
    try {
      outcomes += scan() ? "scanned:" + archiveFolders() : "not scanned";
    } catch (const EKstvNormalException& e) {
      outcomes += e.what();
    }
    outcomes += "\n";
  }
  return outcomes;
}

TEST_F(ArchiveScanTest, AModuleCutShortIsReportedAndNeverBringsTheScanDown) {
  // Each run starts a fresh process, where the RAR and ACE libraries are not bound yet.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  put("MixedCase.zip", "MixedCase.zip");
  put("Rar4.rar", "Rar4.rar");
  put("Ace.store.ace", "Ace.store.ace");
  db_.LocalOptions.DescFileTable =
      "*.htm|500|html|*.rtf|500|rtf|*.mp3|500|mp3tag|*.doc|500|uni|*.txt|500||";
  const auto archiveFolders = [this] {
    std::string names;
    for (const TDirCollection* node : tree_->Root->Items()) names += " " + fullName(*node);
    return names;
  };
  const std::string lacking = " does not contain all needed functions.\n";
  const std::string allListed = "scanned: Ace.store.ace MixedCase.zip Rar4.rar\n";
  struct Case {
    const char* module;
    std::string outcomes;  // archives off, then on
  };
  const Case cases[] = {
      {"html.k32", "Library html.k32" + lacking + "Library html.k32" + lacking},
      {"rtf.k32", "Library rtf.k32" + lacking + "Library rtf.k32" + lacking},
      {"mp3tag.k32", "Library mp3tag.k32" + lacking + "Library mp3tag.k32" + lacking},
      {"uni.k32", "Library uni.k32" + lacking + "Library uni.k32" + lacking},
      {"VUnZip32.dll", "Library VUnZip32.dll" + lacking + "Library VUnZip32.dll" + lacking},
      // RAR archives are listed by the engine's own walk, ACE archives stay files.
      {"unrar.dll", "scanned:\n" + allListed},
      {"UnAceV2.Dll", "scanned:\nscanned: MixedCase.zip Rar4.rar\n"},
  };
  for (const Case& c : cases) {
    test::TempFolder program{"cutprog"};
    for (const char* module : {"html.k32", "rtf.k32", "mp3tag.k32", "uni.k32", "VUnZip32.dll",
                               "unrar.dll", "UnAceV2.Dll"}) {
      if (std::string(module) == c.module) {
        test::copyModuleCutToHalf(module, program.at(module));
      } else {
        fs::copy_file(test::standInFolder() + module, program.at(module));
      }
    }
    EXPECT_EXIT(
        {
          setProgramFolder(program.path());
          const std::string outcomes =
              scanOutcomes([this] { return scan(); }, db_.LocalOptions, archiveFolders);
          std::fprintf(stderr, "%s", outcomes.c_str());
          std::exit(outcomes == c.outcomes ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "")
        << c.module << " expected:\n"
        << c.outcomes;
  }
}

}  // namespace
}  // namespace vellomar

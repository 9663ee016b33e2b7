#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/api/UApi.h"
#include "foundation/UExceptions.h"
#include "platform/PFileNames.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/dbruns/RunCatalogues.h"
#include "tests/ui/support/BorrowedCatalogue.h"
#include "ui/common/UCatalogueGateway.h"
#include "ui/common/UProgressContext.h"
#include "ui/dbruns/UDBaseRuns.h"
#include "ui/dbruns/URepairReport.h"

namespace vellomar {
namespace {

using vellomar::test::contentOf;

// The data area: what a run must never change in the database it reads (the header and key
// table are written back at every close).
std::string dataAreaOf(const std::string& path) {
  const std::string bytes = contentOf(path);
  return bytes.size() < 64961 ? std::string() : bytes.substr(64961);
}

bool stopCopy = false;
int throwAtPercent = -1;

// The run's window: stops the copy when asked, fails at a chosen percent.
class CopyListener : public ProgressListener {
 public:
  bool abort() override { return stopCopy; }
  void percent(int32_t, int32_t percent) override {
    if (throwAtPercent >= 0 && percent >= throwAtPercent) {
      throw EKstvFatalException("File writing error.");
    }
  }
};

class DBaseRunsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stopCopy = false;
    throwAtPercent = -1;
  }

  std::string write(const std::string& name, const std::string& bytes) {
    return folder_.file(name, bytes);
  }

  RunReport recorder() {
    return [this](std::string_view caption, std::string_view text) {
      reports_.emplace_back(std::string(caption), std::string(text));
    };
  }

  bool exists(const std::string& name) const { return fileIdentity(folder_.at(name)).has_value(); }

  vellomar::test::TempFolder folder_{"runs"};
  std::vector<std::pair<std::string, std::string>> reports_;
  CopyListener listener_;
  ProgressContext run_{listener_};
};

TEST_F(DBaseRunsTest, CompressionReplacesTheDatabaseWithOrWithoutABackup) {
  const std::string original = testing::catalogueBytes({"One", "Two", "Three"});
  for (const bool backup : {false, true}) {
    const std::string data = write("data.kvd", original);
    if (backup) write("data.~KV", "an older backup");
    const std::optional<FileIdentity> before = fileIdentity(data);
    RunReindex({ReindexMode::kCompress, nullptr, nullptr, data, "", backup}, recorder());
    EXPECT_TRUE(reports_.empty()) << reports_.front().second;
    EXPECT_EQ(testing::diskNamesOf(data), (std::vector<std::string>{"One", "Three", "Two"}));
    EXPECT_LT(contentOf(data).size(), original.size()) << "deleted and superseded blocks dropped";
    EXPECT_NE(fileIdentity(data), before) << "the copy took the name in one step";
    EXPECT_FALSE(exists("data.$$~"));
    if (backup) {
      EXPECT_TRUE(dataAreaOf(folder_.at("data.~KV")) == original.substr(64961))
          << "the old file is the backup";
      EXPECT_EQ(fileIdentity(folder_.at("data.~KV")), before) << "kept, not copied";
      removeFileName(folder_.at("data.~KV"));
    } else {
      EXPECT_FALSE(exists("data.~KV"));
    }
  }
}

TEST_F(DBaseRunsTest, CompressionThatFailsLeavesTheDatabaseAsItWas) {
  const std::string original = testing::catalogueBytes({"One", "Two"});
  const std::string data = write("data.kvd", original);
  const ReindexJob job{ReindexMode::kCompress, nullptr, nullptr, data, "", true};

  stopCopy = true;
  RunReindex(job, recorder());
  EXPECT_EQ(
      reports_,
      (decltype(reports_){{"Compression was not successful", "Process was not successful."}}));
  stopCopy = false;

  throwAtPercent = 40;
  EXPECT_THROW(RunReindex(job, recorder()), EKstvFatalException);
  throwAtPercent = -1;
  EXPECT_EQ(reports_.size(), 1u);
  EXPECT_TRUE(dataAreaOf(data) == original.substr(64961));
  EXPECT_FALSE(exists("data.$$~"));
  EXPECT_FALSE(exists("data.~KV"));
  EXPECT_EQ(testing::diskNamesOf(data), (std::vector<std::string>{"One", "Two"}))
      << "both databases were closed: the file opens again";
}

// A compress cut off by a kill leaves its copy, read-only here as a copy tool may leave it; the
// next compress of the database removes it first.
TEST_F(DBaseRunsTest, CompressionRemovesTheCopyLeftByACutOne) {
  const std::string data = write("data.kvd", testing::catalogueBytes({"One", "Two"}));
  const std::string left = write("data.$$~", std::string(3 << 20, 'x'));
  ASSERT_EQ(::chmod(left.c_str(), 0444), 0);
  RunReindex({ReindexMode::kCompress, nullptr, nullptr, data, "", false}, recorder());
  EXPECT_TRUE(reports_.empty()) << reports_.front().second;
  EXPECT_FALSE(exists("data.$$~"));
  EXPECT_EQ(testing::diskNamesOf(data), (std::vector<std::string>{"One", "Two"}));
}

// The copy's writes fail for real: the file system refuses to grow it past a limit.
TEST_F(DBaseRunsTest, CompressionWhoseCopyCannotBeWrittenLeavesTheDatabaseAsItWas) {
  const std::string original = testing::catalogueBytes({"One", "Two", "Three"});
  const std::string data = write("data.kvd", original);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = saved;
  // A new database is 64961 bytes; its first disk does not fit.
  limited.rlim_cur = 64961 + 16;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  bool raised = false;
  try {
    RunReindex({ReindexMode::kCompress, nullptr, nullptr, data, "", false}, recorder());
  } catch (const EKstvException&) {
    raised = true;
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_TRUE(raised || !reports_.empty());
  EXPECT_TRUE(dataAreaOf(data) == original.substr(64961));
  EXPECT_FALSE(exists("data.$$~"));
}

TEST_F(DBaseRunsTest, CompressionReportsWhatItCannotOpenOrCreate) {
  const std::string notADatabase = write("text.kvd", "just some text");
  RunReindex({ReindexMode::kCompress, nullptr, nullptr, notADatabase, "", false}, recorder());
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0].first, "Compression was not successful");
  EXPECT_TRUE(reports_[0].second.starts_with("The source database " + notADatabase +
                                             " cannot be open.\r\n"));

  const std::string original = testing::catalogueBytes({"One"});
  const std::string data = write("data.kvd", original);
  folder_.file("data.$$~/in the way", "a folder of that name");
  RunReindex({ReindexMode::kCompress, nullptr, nullptr, data, "", false}, recorder());
  ASSERT_EQ(reports_.size(), 2u);
  EXPECT_EQ(reports_[1].second,
            "The target database " + folder_.at("data.$$~") + " cannot be created.");
  EXPECT_TRUE(dataAreaOf(data) == original.substr(64961));
  EXPECT_TRUE(exists("data.$$~/in the way")) << "what was not the run's own stays";
}

TEST_F(DBaseRunsTest, ExportAndImportLeaveTheWindowsDatabaseOpen) {
  const std::string data = write("data.kvd", testing::catalogueBytes({"One", "Two"}));
  TDBase* window = nullptr;
  ShortString message;
  ASSERT_TRUE(ApiOpenDBase(ShortString(data), false, window, message));
  ASSERT_TRUE(ApiGoToDiskByName(window, "Two"));
  test::BorrowedCatalogue borrowed(window);
  CatalogueGateway* const catalogue = &borrowed.get();

  const std::string readOnly = folder_.at("runtime.kvd");
  RunReindex({ReindexMode::kExportReadOnly, catalogue, nullptr, "", readOnly, false}, recorder());
  EXPECT_EQ(ApiTestDBaseFile(ShortString(readOnly)), 4) << "marked read-only";
  EXPECT_EQ(testing::diskNamesOf(readOnly), std::vector<std::string>{"Two"})
      << "the current disk when none is selected";

  ApiSelectKey(window, true, 0);
  ApiSelectKey(window, true, 1);
  const std::string exported = folder_.at("export.kvd");
  RunReindex({ReindexMode::kExport, catalogue, nullptr, "", exported, false}, recorder());
  EXPECT_EQ(testing::diskNamesOf(exported), (std::vector<std::string>{"One", "Two"}));

  RunReindex({ReindexMode::kImport, nullptr, catalogue, exported, "", false}, recorder());
  EXPECT_EQ(ApiGetKeyCount(window), 4) << "imported under unique names";
  ShortString name;
  uint16_t flags = 0;
  ASSERT_TRUE(ApiGetKey(window, name, flags, 1));
  EXPECT_EQ(name.str(), "One ~1");

  RunReindex({ReindexMode::kExport, catalogue, nullptr, "", folder_.at("none/x.kvd"), false},
             recorder());
  EXPECT_EQ(reports_, (decltype(reports_){{"Export was not successful",
                                           "The target database " + folder_.at("none/x.kvd") +
                                               " cannot be created."}}));
  EXPECT_EQ(ApiGetKeyCount(window), 4) << "the window's database is still open";
  ASSERT_TRUE(ApiCloseDBase(window, false));
}

TEST_F(DBaseRunsTest, RepairCopiesADamagedDatabaseWithoutWritingIntoIt) {
  std::string damaged = testing::catalogueBytes({"One", "Two"});
  // The key table's head and first entries overwritten: only a rebuilt table finds the disks.
  for (size_t i = 4937; i < 4937 + 64; ++i) damaged[i] = '\xEE';
  const std::string source = write("damaged.kvd", damaged);
  const std::string target = folder_.at("repaired.kvd");
  RunRepair(source, target, recorder());
  EXPECT_TRUE(reports_.empty());
  EXPECT_EQ(testing::diskNamesOf(target), (std::vector<std::string>{"One", "Two"}));
  EXPECT_TRUE(contentOf(source) == damaged) << "the damaged file is only read";
}

TEST_F(DBaseRunsTest, RepairRefusesTheDamagedFileAsItsTarget) {
  const std::string bytes = testing::catalogueBytes({"One"});
  const std::string source = write("damaged.kvd", bytes);
  const std::string secondName = folder_.at("other name.kvd");
  ASSERT_TRUE(addFileName(source, secondName));
  for (const std::string& target : {source, secondName, folder_.at("./damaged.kvd")}) {
    reports_.clear();
    RunRepair(source, target, recorder());
    ASSERT_EQ(reports_.size(), 1u) << target;
    EXPECT_EQ(reports_[0].first, "Database Repair");
    EXPECT_TRUE(contentOf(source) == bytes) << target;
  }
}

// Two disks; the record of "sub", the first disk's only subfolder, fails its check: a copy
// loses the folder and its two files.
std::string catalogueLosingAFolder() {
  testing::TestCatalogue catalogue;
  TDirCollection& root = catalogue.newDisk("Docs");
  catalogue.setFiles(root, {{"top.txt", 1}});
  catalogue.setFiles(testing::TestCatalogue::addFolder(root, "sub"), {{"a.txt", 2}, {"b.txt", 3}});
  catalogue.trees.Current->DiskInfo.Folders = 1;
  catalogue.trees.Current->DiskInfo.Files = 3;
  const int32_t block = catalogue.saveDisk();
  catalogue.setFiles(catalogue.newDisk("Other"), {{"other.txt", 4}});
  catalogue.saveDisk();
  LoadTreeStruct(catalogue.handle, catalogue.trees, block, 0);
  const int32_t record = catalogue.trees.Current->Root->ItemAt(0)->Dir.EntryOffset - 4;
  catalogue.trees.Current.reset();
  const std::vector<uint8_t> wrongCheck{0x12, 0x34};
  catalogue.patch(record + 2, wrongCheck);
  catalogue.reopen();
  return contentOf(catalogue.path());
}

// What the runs' boxes say of that catalogue.
const std::string kLostAFolder =
    "\r\nLeft out as damaged: 0 disks, 1 folder, at least 2 files, 0 descriptions."
    "\r\nDisks that lost data: \"Docs\".";
const std::string kCallRepair =
    "\r\nCall Repair from the File menu to save what can be read into a new database.";

// A compression whose copy lost anything keeps the database as it was, with or without the
// backup, and says what was lost; an import takes what reads and says what it could not.
TEST_F(DBaseRunsTest, ACopyThatLosesAFolderSaysSoAndCompressionKeepsTheDatabase) {
  const std::string damaged = catalogueLosingAFolder();
  for (const bool backup : {false, true}) {
    reports_.clear();
    const std::string data = write("data.kvd", damaged);
    const std::optional<FileIdentity> before = fileIdentity(data);
    RunReindex({ReindexMode::kCompress, nullptr, nullptr, data, "", backup}, recorder());
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0].first, "Compression was not successful");
    EXPECT_EQ(reports_[0].second,
              "The database " + data + " was not compressed: its copy could not take everything." +
                  kLostAFolder + "\r\nThe database is kept as it was." + kCallRepair);
    EXPECT_EQ(fileIdentity(data), before);
    EXPECT_TRUE(dataAreaOf(data) == damaged.substr(64961));
    EXPECT_FALSE(exists("data.$$~"));
    EXPECT_FALSE(exists("data.~KV"));
  }

  reports_.clear();
  const std::string source = write("source.kvd", damaged);
  const std::string window = write("window.kvd", testing::catalogueBytes({"Mine"}));
  TDBase* handle = nullptr;
  ShortString message;
  ASSERT_TRUE(ApiOpenDBase(ShortString(window), false, handle, message));
  test::BorrowedCatalogue borrowed(handle);
  RunReindex({ReindexMode::kImport, nullptr, &borrowed.get(), source, "", false}, recorder());
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0].first, "Import was not successful");
  EXPECT_EQ(reports_[0].second,
            "Not everything in " + source + " could be imported." + kLostAFolder + kCallRepair);
  EXPECT_EQ(ApiGetKeyCount(handle), 3) << "what reads is imported";
  ASSERT_TRUE(ApiCloseDBase(handle, false));
}

TEST_F(DBaseRunsTest, RepairAnswersWhatItKeptAndLeftOut) {
  std::string damaged;
  {
    testing::TestCatalogue catalogue;
    for (const char* name : {"One", "Two"}) {
      catalogue.newDisk(name);
      catalogue.saveDisk();
    }
    damaged = contentOf(catalogue.path());
  }
  // The last disk's block cut short: kept with its details and an empty root.
  damaged.pop_back();
  const std::string source = write("damaged.kvd", damaged);
  const std::optional<RepairResult> result =
      RunRepair(source, folder_.at("repaired.kvd"), recorder());
  ASSERT_TRUE(result.has_value());
  EXPECT_TRUE(result->Completed);
  EXPECT_EQ(result->Counts.Disks, 2);
  EXPECT_EQ(result->Counts.DisksLeftOut, 0);
  EXPECT_EQ(testing::diskNamesOf(folder_.at("repaired.kvd")),
            (std::vector<std::string>{"One", "Two"}));
  ASSERT_EQ(result->Counts.DamagedDisks.size(), 1u);
  EXPECT_EQ(result->Counts.DamagedDisks[0].str(), "Two");
  EXPECT_FALSE(RunRepair(source, source, recorder()).has_value());
}

TEST(RepairReport, SaysWhatWasRecoveredAndWhatWasLeftOut) {
  RepairResult sound;
  sound.Counts.Disks = 1;
  sound.Counts.Folders = 3;
  sound.Counts.Files = 1;
  sound.Counts.Descriptions = 2;
  RepairReport report = BuildRepairReport(sound);
  EXPECT_FALSE(report.Lost);
  EXPECT_EQ(report.Text,
            "The database was repaired.\r\n"
            "Recovered: 1 disk, 3 folders, 1 file, 2 descriptions.\r\n"
            "Nothing was left out.");

  RepairResult damaged = sound;
  damaged.Counts.DisksLeftOut = 2;
  damaged.Counts.FoldersLeftOut = 1;
  damaged.Counts.FilesLeftOut = 15;
  for (int i = 0; i < 22; ++i)
    damaged.Counts.DamagedDisks.push_back(ShortString("D" + std::to_string(i)));
  report = BuildRepairReport(damaged);
  EXPECT_TRUE(report.Lost);
  EXPECT_NE(report.Text.find("\r\nLeft out as damaged: 2 disks, 1 folder, at least 15 files, 0 "
                             "descriptions.\r\nDisks that lost data: \"D0\", \"D1\", "),
            std::string::npos)
      << report.Text;
  EXPECT_TRUE(report.Text.ends_with(", \"D19\" and 2 more.")) << report.Text;

  // Folders left out whose files nothing counts; a disk nothing of which read.
  RepairResult unknown = sound;
  unknown.Counts.FoldersLeftOut = 2;
  unknown.Counts.EmptiedDisks = 1;
  unknown.Counts.DamagedDisks.push_back(ShortString("???"));
  EXPECT_TRUE(BuildRepairReport(unknown).Text.ends_with(
      "\r\nLeft out as damaged: 0 disks, 2 folders, the files in those folders, 0 descriptions."
      "\r\nKept empty, as nothing of them could be read: 1 disk."
      "\r\nDisks that lost data: \"???\"."))
      << BuildRepairReport(unknown).Text;

  RepairResult cancelled = sound;
  cancelled.Completed = false;
  report = BuildRepairReport(cancelled);
  EXPECT_TRUE(report.Lost);
  EXPECT_TRUE(report.Text.starts_with("The repair was cancelled.\r\n")) << report.Text;
}

TEST(ChangeFileExt, ReplacesOnlyTheLastNamesExtension) {
  EXPECT_EQ(ChangeFileExt("/a/data.kvd", ".$$~"), "/a/data.$$~");
  EXPECT_EQ(ChangeFileExt("/a.b/data", ".~KV"), "/a.b/data.~KV");
  EXPECT_EQ(ChangeFileExt("/a/x.tar.kvd", ".~KV"), "/a/x.tar.~KV");
}

}  // namespace
}  // namespace vellomar

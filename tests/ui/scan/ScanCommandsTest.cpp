#include "ui/scan/UScanCommands.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>

#include "platform/PLibrary.h"
#include "platform/PPaths.h"
#include "tests/platform/FixtureMachine.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/support/BorrowedCatalogue.h"

namespace vellomar {
namespace {

// The window's side of the scanning commands, answering from a script and recording what it
// was asked. Its scan runs the engine as the progress dialog does.
class ScriptedWindow : public ScanWindow {
 public:
  static constexpr const char* kGenerated = "<generated>";

  bool askDiskName(const std::string& caption, const std::string& generated, std::string& name,
                   bool& usedGenerated) override {
    log.push_back("name " + caption + " [" + name + "] generated [" + generated + "]");
    if (names.empty()) return false;
    const std::string answer = names.front() == kGenerated ? generated : names.front();
    names.pop_front();
    usedGenerated = answer == generated && !generated.empty();
    name = answer;
    return true;
  }
  bool askRescanFolder(const std::string& folder, const std::string& diskName,
                       std::string& scanPath, std::string& volumeLabel) override {
    log.push_back("rescan " + folder + " as " + diskName);
    scanPath = rescanPath.value_or(folder);
    volumeLabel = rescanLabel;
    return rescanPath.has_value();
  }
  ScanAnswer askWarning(const std::string& caption, const std::string& text) override {
    log.push_back(caption + ": " + text);
    const ScanAnswer answer = answers.empty() ? ScanAnswer::kCancel : answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer;
  }
  void showError(const std::string& text) override { log.push_back("Error: " + text); }
  bool runScan(const ScanRequest& request) override {
    log.push_back("scan " + request.diskName);
    if (request.scanPath.empty()) return false;  // never a whole drive of the test machine
    const std::string path =
        request.scanPath.empty() ? std::string{request.drive, ':'} : request.scanPath;
    const bool scanned =
        ApiScanDisk(request.catalogue->handle(), path, ShortString(request.diskName),
                    ShortString(request.volumeLabel));
    if (afterScan) afterScan();
    return scanned && !cancel;
  }
  void showWriteError() override { log.push_back("write error"); }
  std::string focusedName() override { return "focused"; }
  void jumpTo(const std::string& disk, const std::string& folder,
              const std::string& name) override {
    log.push_back("jump " + disk + " " + folder + " " + name);
  }
  void setScanRunning(bool running) override { scanRunning.push_back(running); }

  std::deque<std::string> names;
  std::deque<ScanAnswer> answers;
  std::optional<std::string> rescanPath;
  std::string rescanLabel;
  bool cancel = false;
  std::function<void()> afterScan;
  std::vector<std::string> log;
  std::vector<bool> scanRunning;
};

class ScanCommandsTest : public testing::Test {
 protected:
  void SetUp() override {
    setProgramFolder(VELLOMAR_BUILD_DIR "bin/");  // the scan loads the filter modules
    const std::optional<std::string> system = toSystemPath(disk_.path());
    if (!system) GTEST_SKIP() << "no drive holds the temporary folder";
    root_ = *system;
    disk_.file("a.txt", "alpha");
    disk_.file("sub/b.txt", "beta");
    dbPath_ = dbFolder_.at("scan.kvd");
    ASSERT_TRUE(ApiCreateDBase(ShortString(dbPath_)));
    ShortString error;
    ASSERT_TRUE(ApiOpenDBase(ShortString(dbPath_), false, db_, error)) << error.str();
    ApiGetLocalOptions(db_, options_);
    options_.SimulateDiskInfo = false;
    options_.OverwriteWarning = true;
    options_.DiskNamePattern = ShortString("Disk #N (#D)");
    options_.DiskNameCounter = 4;
    ApiSetLocalOptions(db_, options_);
  }
  void TearDown() override {
    if (db_ != nullptr) ApiCloseDBase(db_, false);
    setProgramFolder({});
  }

  std::vector<std::string> diskNames() {
    std::vector<std::string> names;
    for (int32_t i = 0; i < ApiGetKeyCount(db_); ++i) {
      ShortString name;
      uint16_t flags = 0;
      ApiGetKey(db_, name, flags, i);
      names.push_back(name.str() + ((flags & kKeyDeleted) ? " (deleted)" : ""));
    }
    return names;
  }
  bool scanFolder(const std::string& name) {
    return ScanCommands(test::BorrowedCatalogue(db_).get(), options_, window_)
        .ScanFolderAsDisk(root_, name);
  }
  void showDeleted() {
    options_.ShowDeleted = true;
    ApiSetLocalOptions(db_, options_);
  }

  test::TempFolder disk_{"scandisk"};
  test::TempFolder dbFolder_{"scandb"};
  std::string root_;
  std::string dbPath_;
  TDBase* db_ = nullptr;
  TLocalOptions options_;
  ScriptedWindow window_;
};

TEST_F(ScanCommandsTest, FolderScannedAsADiskIsSavedAndShown) {
  EXPECT_TRUE(scanFolder("Docs"));
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"Docs"}));
  ShortString path;
  ApiGetCurrentPath(db_, path);
  ShortString name;
  uint16_t flags = 0;
  int32_t index = 0;
  ASSERT_TRUE(ApiGetCurrentKey(db_, name, flags, index));
  EXPECT_EQ(name.str(), "Docs");
  EXPECT_EQ(window_.scanRunning, (std::vector<bool>{true, false}));
}

TEST_F(ScanCommandsTest, OverwriteQuestionAnsweredEachWay) {
  ASSERT_TRUE(scanFolder("Docs"));
  showDeleted();
  window_.answers = {ScanAnswer::kNo, ScanAnswer::kCancel};
  EXPECT_FALSE(scanFolder("Docs"));
  EXPECT_FALSE(scanFolder("Docs"));
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"Docs"}));
  EXPECT_EQ(window_.log.back(), "Warning: Overwrite existing disk Docs?");

  window_.answers = {ScanAnswer::kYes};
  EXPECT_TRUE(scanFolder("docs"));
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"docs", "Docs [1] (deleted)"}));
}

TEST_F(ScanCommandsTest, CancelledScanSavesNothingAndKeepsTheOldDisk) {
  ASSERT_TRUE(scanFolder("Docs"));
  showDeleted();
  window_.cancel = true;
  window_.answers = {ScanAnswer::kYes};
  EXPECT_FALSE(scanFolder("Docs"));
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"Docs"}));
}

TEST_F(ScanCommandsTest, RescanReplacesTheDiskWithoutTheOverwriteQuestion) {
  ASSERT_TRUE(scanFolder("Docs"));
  showDeleted();
  disk_.file("c.txt", "gamma");
  window_.rescanPath = root_;
  ScanCommands(test::BorrowedCatalogue(db_).get(), options_, window_).RescanDisk();
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"Docs", "Docs [1] (deleted)"}));
  for (const std::string& line : window_.log) EXPECT_EQ(line.find("Overwrite"), std::string::npos);
  TFileCollection* files = ApiGetFileCol(db_);
  ASSERT_NE(files, nullptr);
  bool found = false;
  for (int32_t i = 0; i < ApiFileColCount(files); ++i) {
    TOneFile line;
    ApiFileColAt(files, i, line);
    found = found || line.Name.str() == "c";
  }
  EXPECT_TRUE(found) << "the new disk is current";
  // The file holds both halves of the change already, not only once it is closed.
  const std::string copyPath = dbFolder_.at("copy.kvd");
  std::filesystem::copy_file(dbPath_, copyPath);
  TDBase* copy = nullptr;
  ShortString error;
  ASSERT_TRUE(ApiOpenDBase(ShortString(copyPath), false, copy, error)) << error.str();
  TDBaseStats stats;
  ApiGetDBaseStats(copy, stats);
  EXPECT_EQ(stats.KeyCount, 2);
  EXPECT_EQ(stats.LiveKeys, 1);
  ApiCloseDBase(copy, false);
}

TEST_F(ScanCommandsTest, RescanWithAnotherLabelAsksFirst) {
  ASSERT_TRUE(scanFolder("Docs"));
  window_.rescanPath = root_;
  window_.rescanLabel = "OTHER";
  window_.answers = {ScanAnswer::kNo};
  ScanCommands(test::BorrowedCatalogue(db_).get(), options_, window_).RescanDisk();
  EXPECT_NE(window_.log.back().find("and actual volume label (OTHER) are different"),
            std::string::npos);
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"Docs"}));
}

// The file system refuses to let the database grow while the new disk is saved.
TEST_F(ScanCommandsTest, RescanWhoseSaveFailsLeavesTheOldDiskLive) {
  ASSERT_TRUE(scanFolder("Docs"));
  showDeleted();
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  window_.afterScan = [&] {
    ApiCloseDBase(db_, false);
    ShortString error;
    ASSERT_TRUE(ApiOpenDBase(ShortString(dbPath_), false, db_, error));
  };
  window_.rescanPath = root_;
  // The scan itself writes its blocks; the limit falls after it, before the save.
  window_.afterScan = [&] {
    rlimit limited = saved;
    limited.rlim_cur = 1;
    setrlimit(RLIMIT_FSIZE, &limited);
  };
  ScanCommands(test::BorrowedCatalogue(db_).get(), options_, window_).RescanDisk();
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(window_.log.back(), "jump Docs \\ focused");
  EXPECT_EQ(window_.log[window_.log.size() - 2], "write error");
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"Docs"}));
  ApiCloseDBase(db_, false);
  ShortString error;
  ASSERT_TRUE(ApiOpenDBase(ShortString(dbPath_), false, db_, error)) << error.str();
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"Docs"}));
}

TEST_F(ScanCommandsTest, GeneratedNameRaisesTheCounterInTheDatabaseAtOnce) {
  const char drive = root_.front();
  window_.names = {"typed", ScriptedWindow::kGenerated};
  window_.answers = {ScanAnswer::kNo, ScanAnswer::kNo};
  ScanCommands(test::BorrowedCatalogue(db_).get(), options_, window_).ScanDisk(drive, false);
  EXPECT_EQ(options_.DiskNameCounter, 4) << "a typed name leaves the counter";
  ScanCommands(test::BorrowedCatalogue(db_).get(), options_, window_).ScanDisk(drive, false);
  const std::string& asked = window_.log.front();
  ASSERT_EQ(asked.substr(0, 7), std::string("name ") + drive + ":");
  EXPECT_NE(asked.find("generated [Disk 5 ("), std::string::npos) << asked;
  EXPECT_EQ(options_.DiskNameCounter, 5);
  TLocalOptions stored;
  ApiGetLocalOptions(db_, stored);
  EXPECT_EQ(stored.DiskNameCounter, 5) << "stored in the database at once";
}

TEST_F(ScanCommandsTest, NameDialogCancelledOrEmptyEndsTheCommand) {
  const char drive = root_.front();
  EXPECT_FALSE(
      ScanCommands(test::BorrowedCatalogue(db_).get(), options_, window_).ScanDisk(drive, false));
  window_.names = {"   "};
  EXPECT_FALSE(
      ScanCommands(test::BorrowedCatalogue(db_).get(), options_, window_).ScanDisk(drive, false));
  EXPECT_EQ(ApiGetKeyCount(db_), 0);
}

TEST_F(ScanCommandsTest, InaccessibleDriveIsReported) {
  EXPECT_FALSE(
      ScanCommands(test::BorrowedCatalogue(db_).get(), options_, window_).ScanDisk('Y', false));
  EXPECT_EQ(window_.log, (std::vector<std::string>{"Error: Drive Y: is not accessible."}));
}

}  // namespace
}  // namespace vellomar

namespace vellomar {
namespace {

// Drives of a fixture machine whose volumes are folders of the test; the scan is not run.
class ScanNamingTest : public ScanCommandsTest {
 protected:
  // A volume of the kind on the test's folder: "stick" (removable), "fixed" or "cd".
  void mountStick(const std::string& fsType, const std::string& encodedLabel,
                  const std::string& kind = "stick") {
    const unsigned major = kind == "cd" ? 11 : 8;
    machine_->root.addDisk("sdc", major, 32, kind != "fixed");
    std::vector<std::string> properties{"ID_FS_LABEL_ENC=" + encodedLabel};
    if (kind == "cd") properties.push_back("ID_CDROM=1");
    machine_->root.addUdev(major, 32, properties);
    machine_->mounts += "50 28 " + std::to_string(major) + ":32 / " + disk_.path() + " rw - " +
                        fsType + " /dev/sdc rw\n";
    table_ = std::make_unique<DriveTable>(machine_->sources());
    letter_ = 0;
    for (const Drive& d : table_->drives()) {
      if (table_->currentMount(d.letter) &&
          table_->currentMount(d.letter)->mountPoint == disk_.path()) {
        letter_ = d.letter;
      }
    }
    ASSERT_NE(letter_, 0);
    window_.names.clear();
  }
  bool scan(bool unattended) {
    return ScanCommands(test::BorrowedCatalogue(db_).get(), options_, window_, *table_)
        .ScanDisk(letter_, unattended);
  }

  std::unique_ptr<FixtureMachine> machine_ = std::make_unique<FixtureMachine>();
  std::unique_ptr<DriveTable> table_;
  char letter_ = 0;
};

TEST_F(ScanNamingTest, LabelInCapitalsIsProposedAsAName) {
  mountStick("vfat", "PHOTOS");
  scan(false);
  EXPECT_EQ(window_.log.front(),
            std::string("name ") + letter_ + ": [Photos] generated [Disk 5 (Photos)]");
}

TEST_F(ScanNamingTest, DifferentNamesQuestionAnsweredEachWay) {
  mountStick("vfat", "PHOTOS");
  const std::string question =
      "Different names: Entered name is different from the current Volume Label. Change the "
      "Volume Label?";
  // Cancel ends; No scans under the typed name; Yes with too long a name on FAT asks again.
  window_.names = {"Holiday"};
  window_.answers = {ScanAnswer::kCancel};
  scan(false);
  EXPECT_EQ(window_.log.back(), question);

  window_.log.clear();
  window_.names = {"Holiday"};
  window_.answers = {ScanAnswer::kNo};
  scan(false);
  EXPECT_EQ(window_.log.back(), "scan Holiday");

  window_.log.clear();
  window_.names = {"Thirteen char"};
  window_.answers = {ScanAnswer::kYes};
  scan(false);
  ASSERT_EQ(window_.log.size(), 4u);
  EXPECT_EQ(window_.log[2], std::string("Error: The Volume Label can have max. 12 characters "
                                        "on disk ") +
                                letter_ + ":");
  EXPECT_EQ(window_.log[3].substr(0, 5), "name ") << "the name dialog again";
}

TEST_F(ScanNamingTest, UnattendedScanWithAnOverlongLabelNeverLoops) {
  // The label's leading blank makes the trimmed name differ from it.
  mountStick("vfat", "\\x20LONG\\x20LABEL\\x20NAME");
  window_.answers = {ScanAnswer::kYes};
  EXPECT_FALSE(scan(true));
  ASSERT_EQ(window_.log.size(), 3u);
  EXPECT_EQ(window_.log[0].substr(0, 10), "Different ");
  EXPECT_EQ(window_.log[2].substr(0, 5), "name ") << "the dialog, not the same name again";
}

TEST_F(ScanNamingTest, DifferentNamesQuestionOnlyWhereTheLabelIsOffered) {
  const struct {
    const char* kind;
    bool disableVolumeName;
    bool asked;
  } cases[] = {
      {"stick", true, true},
      {"fixed", false, true},
      {"fixed", true, false},
      {"cd", false, false},
  };
  for (const auto& c : cases) {
    machine_ = std::make_unique<FixtureMachine>();
    mountStick(c.kind == std::string("cd") ? "iso9660" : "ext4", "DATA", c.kind);
    options_.DisableVolNameChange = c.disableVolumeName;
    window_.log.clear();
    window_.names = {"Other"};
    window_.answers = {ScanAnswer::kNo};
    scan(false);
    ASSERT_EQ(window_.log.size(), c.asked ? 3u : 2u) << c.kind;
    EXPECT_EQ(window_.log.back(), "scan Other") << c.kind;
  }
}

}  // namespace
}  // namespace vellomar

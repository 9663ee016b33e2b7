#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/api/UApi.h"
#include "platform/PLibrary.h"
#include "platform/PPaths.h"
#include "platform/PText.h"
#include "tests/platform/FixtureMachine.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/dbase/PanelWindow.h"
#include "tests/ui/support/RecordingServices.h"
#include "ui/app/FMain.h"
#include "ui/dbase/FDBase.h"
#include "ui/dbase/FDiskPanel.h"
#include "ui/dbase/FFilePanel.h"
#include "ui/panels/UFileLines.h"
#include "ui/scan/FScanFolder.h"
#include "ui/settings/FSettings.h"
#include "ui/settings/USettingsGlobals.h"

namespace vellomar::test {

// The program's main window on a fixture machine whose CD writer H: holds a disc: the disc is
// a folder of the test ("a.txt", "docs/b.txt"), so scans run the engine on real files. The
// program folder is the test's own, for the doubles of the libraries it loads. A catalogue of
// the test is open in a database window.
class ScanningWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    recorder().clear();
    disk_.file("a.txt", "alpha");
    disk_.file("docs/b.txt", "beta");
    machine_.mounts += "40 28 11:0 / " + disk_.path() + " ro - iso9660 /dev/sr0 ro\n";
    savedDrives_ = std::make_unique<DriveTable>(processDriveTable());
    processDriveTable() = DriveTable(machine_.sources());
    // The filters and archive libraries the scan loads, beside the program; the utility
    // library only where a test puts its double.
    for (const auto& module : std::filesystem::directory_iterator(VELLOMAR_BUILD_DIR "bin/")) {
      const std::string name = module.path().filename().string();
      const std::string ext = lowerText(module.path().extension().string());
      if ((ext == ".k32" || ext == ".dll") && name != "VlmrUtl.dll")
        std::filesystem::copy_file(module.path(), program_.at(name));
    }
    setProgramFolder(program_.path());
    setConfigFolder(config_.path() + "/");
    settings_ = std::make_unique<TFormSettings>(config_.at(kProgramIniName));
  }
  void TearDown() override {
    main_.reset();
    settings_.reset();
    setProgramFolder({});
    processDriveTable() = *savedDrives_;
    UserCommandList.clear();
  }

  // The main window with the catalogue open; the doubles wanted are in the program folder first.
  void openMainWindow() {
    main_ = std::make_unique<TMainForm>();
    main_->resize(1000, 600);
    main_->show();
    main_->activateWindow();  // keys reach the window in front
    ASSERT_TRUE(QTest::qWaitForWindowActive(main_.get()));
    main_->AppIdle();
    const std::string path = config_.at("disks.kvd");
    ASSERT_TRUE(ApiCreateDBase(ShortString(path)));
    db_ = main_->OpenDBaseWindow(path);
    ASSERT_NE(db_, nullptr);
    main_->AppIdle();
  }
  void install(const std::string& double_, const std::string& as) {
    std::filesystem::copy_file(VELLOMAR_BUILD_DIR "testdoubles/ui/" + double_, program_.at(as));
  }
  std::string calls(const std::string& library) {
    return contentOf(program_.at(library) + ".calls");
  }

  // The folder-as-disk dialog (or its rescan mode) filled in and confirmed.
  void answerScanFolder(const std::string& folder, const std::string& name) {
    onNextDialog<TFormScanFolder>([folder, name](TFormScanFolder& dialog) {
      if (!folder.empty()) {
        dialog.EditFolder->clear();
        QTest::keyClicks(dialog.EditFolder, QString::fromStdString(folder));
      }
      if (!name.empty()) {
        dialog.EditDiskName->clear();
        QTest::keyClicks(dialog.EditDiskName, QString::fromStdString(name));
      }
      QTest::mouseClick(dialog.ButtonOK, Qt::LeftButton, {});
    });
  }
  void run(Command command) { main_->menuAction(command)->trigger(); }

  // The disks as the disk panel lists them, deleted ones marked.
  std::vector<std::string> diskNames() {
    std::vector<std::string> names;
    for (int32_t i = 0; i < ApiGetKeyCount(db_->catalogue().handle()); ++i) {
      ShortString name;
      uint16_t flags = 0;
      ApiGetKey(db_->catalogue().handle(), name, flags, i);
      names.push_back(name.str() + ((flags & kKeyDeleted) != 0 ? " (deleted)" : ""));
    }
    return names;
  }
  std::vector<std::string> fileNames() {
    std::vector<std::string> names;
    TFileLineList& lines = db_->filePanel()->lines();
    for (int32_t i = 0; i < lines.count(); ++i) names.push_back(FullNameOf(*lines.at(i)));
    return names;
  }
  void showDeletedDisks() {
    db_->localOptions().ShowDeleted = true;
    ApiSetLocalOptions(db_->catalogue().handle(), db_->localOptions());
  }

  TempFolder disk_{"scandisc"};
  TempFolder program_{"scanprogram"};
  TempFolder config_{"scanconfig"};
  FixtureMachine machine_;
  std::unique_ptr<DriveTable> savedDrives_;
  std::unique_ptr<TFormSettings> settings_;
  std::unique_ptr<TMainForm> main_;
  QPointer<TFormDBase> db_;
};

}  // namespace vellomar::test

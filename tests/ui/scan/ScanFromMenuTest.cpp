// Scanning as a user does it: from the menus and the toolbar of the main window through the
// dialogs into the catalogue of the active database window, and on a disc's arrival.
#include <QDialogButtonBox>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include "tests/ui/scan/ScanningWindow.h"
#include "tests/ui/support/Screenshots.h"
#include "ui/scan/FAskForLabel.h"
#include "ui/scan/FScanArchive.h"
#include "ui/scan/FScanProgress.h"
#include "ui/scan/FSelectDrive.h"
#include "ui/scan/UMediaArrival.h"

namespace vellomar {
namespace {

using test::onNextDialog;
using test::recorder;

class ScanFromMenuTest : public test::ScanningWindowTest {};

TEST_F(ScanFromMenuTest, FolderScannedAsADiskShowsInTheDatabaseWindow) {
  openMainWindow();
  answerScanFolder("H:\\docs\\", "Docs");
  run(Command::ScanFolder);
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"Docs"}));
  EXPECT_EQ(db_->diskPanel()->rowCount(), 1);
  EXPECT_EQ(fileNames(), (std::vector<std::string>{"DiskInfo.txt", "b.txt"}));
  EXPECT_FALSE(db_->scanRunning());
  EXPECT_TRUE(recorder().boxes.empty()) << recorder().boxes[0].text;
  test::saveScreenshot(main_.get(), "main-window-after-folder-scan");
}

TEST_F(ScanFromMenuTest, DriveScannedFromTheScanDiskDialogUnderItsName) {
  openMainWindow();
  EjectAfterScan = false;
  onNextDialog<TFormSelectDrive>([](TFormSelectDrive& dialog) {
    QListWidget& list = *dialog.ListBoxDrives;
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(list.item(list.count() - 1)).center());
    onNextDialog<TFormAskForLabel>([](TFormAskForLabel& names) {
      EXPECT_EQ(names.windowTitle().toStdString(), "H:");
      EXPECT_EQ(names.EditDiskName->text().toStdString(), "Holiday");
      test::saveScreenshot(&names, "disk-name-dialog");
      QTest::keyClick(names.EditDiskName, Qt::Key_End);
      QTest::keyClicks(names.EditDiskName, " 2003");
      QTest::keyClick(names.EditDiskName, Qt::Key_Return);
    });
    QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                      Qt::LeftButton);
  });
  QTest::mouseClick(main_->toolButton(Command::ScanDisk), Qt::LeftButton, {});
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"Holiday 2003"}));
  EXPECT_EQ(fileNames(), (std::vector<std::string>{"DiskInfo.txt", "docs", "a.txt"}));
  EjectAfterScan = true;
}

TEST_F(ScanFromMenuTest, RescanThroughTheDialogReplacesTheDiskAndCancelKeepsIt) {
  openMainWindow();
  answerScanFolder("H:\\", "Docs");
  run(Command::ScanFolder);
  showDeletedDisks();
  disk_.file("c.txt", "gamma");
  answerScanFolder("", "");  // the recorded folder and name, as shown
  run(Command::RescanDisk);
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"Docs", "Docs [1] (deleted)"}));
  EXPECT_EQ(fileNames(), (std::vector<std::string>{"DiskInfo.txt", "docs", "a.txt", "c.txt"}));

  // Cancelled while the scan asks about an archive: nothing saved, the disk as it was.
  disk_.file("pack.zip", "not really an archive");
  db_->localOptions().ScanArchives = kScanArchivesPrompt;
  ApiSetLocalOptions(db_->catalogue().handle(), db_->localOptions());
  onNextDialog<TFormScanFolder>([](TFormScanFolder& dialog) {
    onNextDialog<TFormScanArchive>([](TFormScanArchive& archive) {
      auto* progress = qobject_cast<TFormScanProgress*>(archive.parentWidget());
      ASSERT_NE(progress, nullptr);
      QTest::mouseClick(progress->ButtonCancel, Qt::LeftButton, {});
      QTest::keyClick(&archive, Qt::Key_Return);
    });
    QTest::mouseClick(dialog.ButtonOK, Qt::LeftButton, {});
  });
  run(Command::RescanDisk);
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"Docs", "Docs [1] (deleted)"}));
  EXPECT_EQ(fileNames(), (std::vector<std::string>{"DiskInfo.txt", "docs", "a.txt", "c.txt"}));
  EXPECT_TRUE(recorder().boxes.empty());
}

// A result list of the database window, active in front of it.
class FoundFilesList : public TMdiChild {
 public:
  Kind kind() const override { return Kind::kFoundFiles; }
};

TEST_F(ScanFromMenuTest, DiscArrivingInACdDriveIsScannedAndEjected) {
  install("VlmrUtl.dll", "VlmrUtl.dll");
  // The stick comes in later.
  const std::string stick = "34 28 8:17 / /media/ann/MY\\040STICK rw - vfat /dev/sdb1 rw\n";
  const size_t at = machine_.mounts.find(stick);
  machine_.mounts.erase(at, stick.size());
  const std::string disc = machine_.mounts.substr(machine_.mounts.find("40 28 11:0"));
  machine_.mounts.erase(machine_.mounts.find(disc));
  openMainWindow();
  EXPECT_EQ(std::string(main_->CdDriveLetters, 2), "H ");
  ScanAfterInsert = true;
  NoQueries = true;
  TMediaWatch watch(processDriveTable());
  QObject::connect(&watch, &TMediaWatch::arrived, main_.get(), &TMainForm::MediaArrived);

  machine_.mounts += stick;
  watch.mountTableChanged();
  EXPECT_TRUE(diskNames().empty()) << "not a CD drive";

  auto* found = new FoundFilesList;
  main_->mdiArea()->addSubWindow(found);
  found->show();
  main_->mdiArea()->setActiveSubWindow(found);
  machine_.mounts += disc;
  watch.mountTableChanged();
  EXPECT_TRUE(diskNames().empty()) << "a found-files list is in front";
  EXPECT_EQ(calls("VlmrUtl.dll"), "");

  found->close();
  main_->mdiArea()->setActiveSubWindow(db_);
  machine_.mounts.erase(machine_.mounts.find(disc));
  watch.mountTableChanged();
  machine_.mounts += disc;
  watch.mountTableChanged();
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"Holiday"}));
  EXPECT_EQ(calls("VlmrUtl.dll"), "H /dev/sr0\n");
  EXPECT_TRUE(recorder().boxes.empty());
  ScanAfterInsert = false;
  NoQueries = false;
}

TEST_F(ScanFromMenuTest, ArrivalWhileADialogIsOpenIsIgnored) {
  openMainWindow();
  ScanAfterInsert = true;
  bool asked = false;
  onNextDialog<TFormScanFolder>([&](TFormScanFolder& dialog) {
    asked = true;
    main_->MediaArrived('H');
    QTest::keyClick(&dialog, Qt::Key_Escape);
  });
  run(Command::ScanFolder);
  EXPECT_TRUE(asked);
  EXPECT_TRUE(diskNames().empty());
  EXPECT_TRUE(recorder().boxes.empty());
  ScanAfterInsert = false;
}

TEST_F(ScanFromMenuTest, EjectButtonsAndThePluginItemFollowTheMachine) {
  install("VlmrUtl.dll", "VlmrUtl.dll");
  install("vmp_sv.dll", "vmp_sv.dll");
  openMainWindow();
  auto* eject1 = main_->findChild<QToolButton*>("SpeedButtonEject1");
  auto* eject2 = main_->findChild<QToolButton*>("SpeedButtonEject2");
  ASSERT_NE(eject1, nullptr);
  ASSERT_NE(eject2, nullptr);
  EXPECT_TRUE(eject1->isVisible());
  EXPECT_FALSE(eject2->isVisible()) << "one CD drive";
  EXPECT_EQ(eject1->toolTip().toStdString(), "Eject disk from H:");
  QTest::mouseClick(eject1, Qt::LeftButton, {});
  EXPECT_EQ(calls("VlmrUtl.dll"), "H /dev/sr0\n");

  EXPECT_TRUE(main_->menu("MenuTools")->menuAction()->isVisible());
  run(Command::SleevoraPrint);
  using namespace std::string_literals;
  EXPECT_EQ(calls("vmp_sv.dll"), "language 0\nwindow \0\0"s) << "no disk selected";

  // Without a database window there are no disks to hand over.
  db_->close();
  EXPECT_TRUE(QTest::qWaitFor([&] { return db_.isNull(); }));
  run(Command::SleevoraPrint);
  EXPECT_EQ(calls("vmp_sv.dll"), "language 0\nwindow \0\0"s);
}

TEST_F(ScanFromMenuTest, WithoutThePluginItsMenuIsHidden) {
  openMainWindow();
  EXPECT_FALSE(main_->menu("MenuTools")->menuAction()->isVisible());
  // The utility library is missing: the eject is reported, nothing fails.
  QTest::mouseClick(main_->findChild<QToolButton*>("SpeedButtonEject1"), Qt::LeftButton, {});
  ASSERT_EQ(recorder().boxes.size(), 1u);
  EXPECT_EQ(recorder().boxes[0].text, "The disk cannot be ejected from drive H:.");
}

}  // namespace
}  // namespace vellomar

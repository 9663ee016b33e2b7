// The scan dialogs on their own, offscreen, driven by real key and mouse events; the progress
// dialog runs the engine on a folder of the test.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "engine/api/UApiGlobals.h"
#include "foundation/UIniFile.h"
#include "platform/PLibrary.h"
#include "platform/PPaths.h"
#include "tests/platform/FixtureMachine.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/dbase/PanelWindow.h"
#include "tests/ui/support/HelpKeys.h"
#include "tests/ui/support/RecordingServices.h"
#include "tests/ui/support/Screenshots.h"
#include "ui/common/UFittedText.h"
#include "ui/common/UPieGauge.h"
#include "ui/drives/FSelectFolder.h"
#include "ui/drives/UDrives.h"
#include "ui/scan/FAskForLabel.h"
#include "ui/scan/FScanArchive.h"
#include "ui/scan/FScanFolder.h"
#include "ui/scan/FScanProgress.h"
#include "ui/scan/FSelectDrive.h"
#include "ui/scan/UScanNames.h"
#include "ui/settings/USettingsGlobals.h"

namespace vellomar {
namespace {

using test::helpOpenedByF1;
using test::onNextDialog;
using test::recorder;

QPushButton* buttonNamed(QWidget& dialog, const QString& text) {
  for (QPushButton* b : dialog.findChildren<QPushButton*>())
    if (b->text() == text) return b;
  return nullptr;
}

void click(QWidget* widget) {
  ASSERT_NE(widget, nullptr);
  QTest::mouseClick(widget, Qt::LeftButton);
}

std::vector<std::string> items(const QListWidget& list) {
  std::vector<std::string> texts;
  for (int i = 0; i < list.count(); ++i) texts.push_back(list.item(i)->text().toStdString());
  return texts;
}

TEST(SelectDriveDialogTest, ListsTheDrivesAndKeepsThePositionWithinTheList) {
  FixtureMachine machine;
  DriveTable table(machine.sources());
  ReadDriveNames = false;
  TFormSelectDrive dialog(nullptr, table);
  dialog.LoadWindowPos(IniFile());
  dialog.show();
  EXPECT_EQ(items(*dialog.ListBoxDrives),
            (std::vector<std::string>{"A:", "B:", "C:", "D:", "E:", "F:", "G:", "H:"}));
  EXPECT_EQ(dialog.ListBoxDrives->currentRow(), 0);
  test::saveScreenshot(&dialog, "scan-disk-dialog");

  // The last drive chosen, then the network share unmounted: one item less, the last one
  // selected.
  QTest::keyClick(dialog.ListBoxDrives, Qt::Key_End);
  QTest::keyClick(dialog.ListBoxDrives, Qt::Key_Return);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.SelectedLetters(), "H");
  machine.mounts.erase(machine.mounts.find("33 28 0:50"), machine.mounts.find("34 28"));
  table.rebuild();
  dialog.show();
  const int last = dialog.ListBoxDrives->count() - 1;
  ASSERT_LT(last, 7);
  EXPECT_EQ(dialog.ListBoxDrives->currentRow(), last);
  dialog.ListBoxDrives->setCurrentRow(last - 1);
  dialog.hide();
  dialog.show();
  EXPECT_EQ(dialog.ListBoxDrives->currentRow(), last - 1) << "a position within the list is kept";

  // Double click takes the item under the mouse; the check box sets the switch at once.
  NoQueries = false;
  QTest::mouseClick(dialog.CheckBoxNoQueries, Qt::LeftButton, {},
                    QPoint(6, dialog.CheckBoxNoQueries->height() / 2));
  EXPECT_TRUE(NoQueries);
  QListWidget& list = *dialog.ListBoxDrives;
  const QPoint c = list.visualItemRect(list.item(2)).center();
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, c);
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, c);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.SelectedLetters(), "C");
  NoQueries = false;
  ReadDriveNames = true;
}

TEST(SelectDriveDialogTest, MultipleSelectionGivesLettersTopToBottomAndOkWithNone) {
  FixtureMachine machine;
  const DriveTable table(machine.sources());
  ReadDriveNames = false;
  TFormSelectDrive dialog(nullptr, table);
  dialog.ListBoxDrives->setSelectionMode(QAbstractItemView::ExtendedSelection);
  dialog.show();
  QListWidget& list = *dialog.ListBoxDrives;
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                    list.visualItemRect(list.item(7)).center());
  QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ControlModifier,
                    list.visualItemRect(list.item(2)).center());
  click(buttonNamed(dialog, "OK"));
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.SelectedLetters(), "CH");

  dialog.show();
  EXPECT_EQ(dialog.ListBoxDrives->currentRow(), 2) << "the first one chosen";
  list.clearSelection();
  dialog.setResult(QDialog::Rejected);
  click(buttonNamed(dialog, "OK"));
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.SelectedLetters(), "");
  ReadDriveNames = true;
}

// A folder scanned as a disk, on a real folder of the test that the program's drives reach.
class ScanFolderDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    recorder().clear();
    const std::optional<std::string> system = toSystemPath(disk_.path());
    if (!system) GTEST_SKIP() << "no drive holds the temporary folder";
    root_ = *system;
    disk_.file("docs/a.txt", "alpha");
    machine_.mounts += "40 28 11:0 / " + disk_.path() + " ro - iso9660 /dev/sr0 ro\n";
  }

  void type(QLineEdit* edit, const std::string& text) {
    edit->clear();
    QTest::keyClicks(edit, QString::fromStdString(text));
  }

  test::TempFolder disk_{"scanfolder"};
  std::string root_;
  FixtureMachine machine_;
  DriveTable table_{machine_.sources()};
  TFormSelectFolder browser_{nullptr, table_};
  TFormScanFolder dialog_{browser_, nullptr, table_};
};

TEST_F(ScanFolderDialogTest, NameGeneratorShortensTheLabelAndPath) {
  dialog_.show();
  EXPECT_FALSE(dialog_.ButtonOK->isEnabled());
  type(dialog_.EditFolder, "h:\\Projects\\Year 2000\\Reports\\Final");
  EXPECT_FALSE(dialog_.ButtonOK->isEnabled()) << "no disk name yet";
  click(dialog_.ButtonCreateDiskName);
  EXPECT_EQ(dialog_.EditDiskName->text().toStdString(), "Holiday: /Projec... 2000/Reports/Final");
  EXPECT_TRUE(dialog_.ButtonOK->isEnabled());
  test::saveScreenshot(&dialog_, "scan-folder-dialog");

  type(dialog_.EditFolder, "2000\\Reports");
  click(dialog_.ButtonCreateDiskName);
  EXPECT_EQ(dialog_.EditDiskName->text().toStdString(), "Holiday: /Projec... 2000/Reports/Final")
      << "a folder without a drive letter changes nothing";

  type(dialog_.EditFolder, root_);
  click(dialog_.ButtonCreateDiskName);
  const QString fromDrive = dialog_.EditDiskName->text();
  // The drive of the temporary folder may have a label of its own, or none.
  EXPECT_EQ(fromDrive.toStdString(),
            NameFromFolder(root_, GetDiskLabel(root_[0], table_)).value_or("none"))
      << "the name from the folder and its drive's label";
  dialog_.EditDiskName->clear();
  type(dialog_.EditFolder, disk_.path());
  click(dialog_.ButtonCreateDiskName);
  EXPECT_EQ(dialog_.EditDiskName->text(), fromDrive) << "a Linux path names the same folder";
}

TEST_F(ScanFolderDialogTest, OkTakesOnlyAFullPathThatExists) {
  // Deeper than a short string holds: the whole path is taken.
  std::string deep = "deep";
  for (char c = 'a'; c < 'f'; ++c) deep += "/" + std::string(60, c);
  disk_.file(deep + "/file.txt", "x");
  std::string deepSystem = root_;
  for (const char c : "/" + deep) deepSystem += c == '/' ? '\\' : c;
  const std::string invalid = "Invalid folder. Enter full path, including the disk letter.";
  const struct {
    std::string typed;
    bool accepted;
    std::string scanPath;
    std::string box;
  } cases[] = {
      {root_ + "\\", true, root_, ""},
      {std::string(1, static_cast<char>(std::tolower(root_[0]))) + root_.substr(1), true, root_,
       ""},
      {root_.substr(0, 3), true, root_.substr(0, 3), ""},
      {root_.substr(2), false, "", invalid},
      {root_.substr(0, 2) + "/" + root_.substr(3), false, "", invalid},
      {root_ + "\\missing", false, "", "Folder does not exist: " + root_ + "\\missing"},
      // A Linux path names the same folder through the drive that holds it.
      {disk_.path(), true, root_, ""},
      {disk_.path() + "/", true, root_, ""},
      {disk_.path() + "/missing", false, "", "Folder does not exist: " + disk_.path() + "/missing"},
      {disk_.at(deep), true, deepSystem, ""},
      {disk_.at(deep + "/file.txt"), false, "",
       disk_.at(deep + "/file.txt") + " is a file, not a folder."},
  };
  for (const auto& c : cases) {
    recorder().clear();
    dialog_.show();
    type(dialog_.EditFolder, c.typed);
    type(dialog_.EditDiskName, "Docs");
    dialog_.setResult(QDialog::Rejected);
    QTest::keyClick(dialog_.EditDiskName, Qt::Key_Return);
    EXPECT_EQ(dialog_.result() == QDialog::Accepted, c.accepted) << c.typed;
    EXPECT_EQ(dialog_.ScanPath, c.scanPath) << c.typed;
    if (c.accepted) {
      EXPECT_EQ(dialog_.DiskName, "Docs");
      EXPECT_EQ(dialog_.VolumeLabel, GetDiskLabel(root_[0], table_));
      EXPECT_TRUE(recorder().boxes.empty());
    } else {
      ASSERT_EQ(recorder().boxes.size(), 1u) << c.typed;
      EXPECT_EQ(recorder().boxes[0].text, c.box);
      EXPECT_TRUE(dialog_.isVisible()) << "the dialog stays open";
    }
    dialog_.hide();
  }
}

TEST_F(ScanFolderDialogTest, RescanOfAnotherFolderAsksFirst) {
  dialog_.SetFolder(root_);
  EXPECT_EQ(dialog_.EditFolder->text().toStdString(), disk_.path()) << "as this machine names it";
  dialog_.EditDiskName->setText("Docs");
  dialog_.SetScanMode(false);
  dialog_.show();
  EXPECT_EQ(dialog_.windowTitle().toStdString(), "Rescan Disk");
  EXPECT_FALSE(dialog_.EditDiskName->isEnabled());
  EXPECT_FALSE(dialog_.ButtonCreateDiskName->isVisible());
  test::saveScreenshot(&dialog_, "rescan-disk-dialog");

  // The same folder in another case of its letter: no question.
  type(dialog_.EditFolder,
       std::string(1, static_cast<char>(std::tolower(root_[0]))) + root_.substr(1));
  click(dialog_.ButtonOK);
  EXPECT_EQ(dialog_.result(), QDialog::Accepted);
  EXPECT_TRUE(recorder().boxes.empty());

  dialog_.show();
  type(dialog_.EditFolder, root_ + "\\docs");
  for (const BoxResult answer : {BoxResult::kNo, BoxResult::kCancel, BoxResult::kYes}) {
    recorder().answers = {answer};
    dialog_.setResult(QDialog::Rejected);
    click(dialog_.ButtonOK);
    EXPECT_EQ(dialog_.result() == QDialog::Accepted, answer == BoxResult::kYes);
  }
  ASSERT_EQ(recorder().boxes.size(), 3u);
  EXPECT_EQ(recorder().boxes[0].caption, "Warning");
  EXPECT_EQ(dialog_.ScanPath, root_ + "\\docs");

  // Help and F1 open the topic of the mode shown.
  dialog_.show();
  click(buttonNamed(dialog_, "Help"));
  QTest::keyClick(dialog_.EditFolder, Qt::Key_F1);
  dialog_.SetScanMode(true);
  EXPECT_EQ(dialog_.windowTitle().toStdString(), "Scan Folder As Disk");
  EXPECT_TRUE(dialog_.EditDiskName->isEnabled());
  click(buttonNamed(dialog_, "Help"));
  QTest::keyClick(dialog_.EditFolder, Qt::Key_F1);
  EXPECT_EQ(recorder().helpContexts, (std::vector<int>{115, 115, 116, 116}));
}

TEST(ScanDialogsHelpTest, F1OpensEachDialogsTopic) {
  FixtureMachine machine;
  DriveTable table(machine.sources());
  TFormSelectDrive drives(nullptr, table);
  TFormAskForLabel name;
  TFormScanArchive archive;
  EXPECT_EQ(
      helpOpenedByF1(
          {{&drives, drives.ListBoxDrives}, {&name, name.EditDiskName}, {&archive, &archive}}),
      (std::vector<int>{TFormSelectDrive::kHelpContext, TFormAskForLabel::kHelpContext,
                        TFormScanArchive::kHelpContext}));
}

// A long path keeps the question at its width: the path is cut to its end, and every button
// stays inside the window.
TEST(ScanArchiveDialogTest, ALongPathIsCutToItsEnd) {
  TFormScanArchive archive;
  const int width = archive.width();
  const QString path = "H:\\" + QString("very long folder name\\").repeated(40) + "last.zip";
  archive.LabelMsg->setFullText("Scan archive file " + path + "?");
  archive.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&archive));
  EXPECT_EQ(archive.width(), width);
  EXPECT_TRUE(archive.LabelMsg->text().endsWith("\\last.zip?"));
  EXPECT_LT(archive.LabelMsg->text().size(), path.size());
  for (const QPushButton* button : archive.findChildren<QPushButton*>())
    EXPECT_TRUE(archive.rect().contains(button->geometry())) << button->text().toStdString();
  test::saveScreenshot(&archive, "archive-found-long-path");
}

TEST_F(ScanFolderDialogTest, BrowseFolderPutsTheChosenFolderIntoTheEdit) {
  dialog_.show();
  onNextDialog<TFormSelectFolder>([](TFormSelectFolder& browser) {
    // H: holds the disc; its node is the last drive.
    QTreeWidget& tree = *browser.DirTreeView;
    QTreeWidgetItem* drive = tree.topLevelItem(tree.topLevelItemCount() - 1);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(drive).center());
    QTest::keyClick(&tree, Qt::Key_Return);
  });
  click(dialog_.ButtonBrowseFolder);
  EXPECT_EQ(dialog_.EditFolder->text().toStdString(), "H:\\");
}

// One scan per showing, into a catalogue of the test.
class ScanProgressTest : public ::testing::Test {
 protected:
  void SetUp() override {
    recorder().clear();
    setProgramFolder(VELLOMAR_BUILD_DIR "bin/");
    const std::optional<std::string> system = toSystemPath(disk_.path());
    if (!system) GTEST_SKIP() << "no drive holds the temporary folder";
    disk_.file("a.txt", "alpha");
    disk_.file("one.zip", "not really an archive");
    disk_.file("sub/two.zip", "nor this one");
    const std::string path = dbFolder_.at("progress.kvd");
    ASSERT_TRUE(ApiCreateDBase(ShortString(path)));
    ShortString error;
    ASSERT_TRUE(catalogue_.open(ShortString(path), false, error)) << error.str();
    db_ = catalogue_.handle();
    dialog_.Request = {&catalogue_, (*system)[0], "Docs", "", *system};
  }
  void TearDown() override {
    catalogue_.close();
    setProgramFolder({});
  }
  void scanArchives(uint8_t mode) {
    TLocalOptions options;
    ApiGetLocalOptions(db_, options);
    options.ScanArchives = mode;
    ApiSetLocalOptions(db_, options);
  }

  test::TempFolder disk_{"scanprogress"};
  test::TempFolder dbFolder_{"scanprogressdb"};
  CatalogueGateway catalogue_;
  TDBase* db_ = nullptr;
  TFormScanProgress dialog_;
};

TEST_F(ScanProgressTest, ArchiveQuestionFollowsTheSettingAndItsAnswers) {
  const struct {
    uint8_t mode;
    const char* button;  // clicked at each question; null: closed by Escape
    int questions;
  } cases[] = {
      {kScanArchivesNoPrompt, "Yes", 0},      {kScanArchivesNo, "Yes", 0},
      {kScanArchivesPrompt, "Yes", 2},        {kScanArchivesPrompt, "No", 2},
      {kScanArchivesPrompt, nullptr, 2},      {kScanArchivesPrompt, "Yes for all", 1},
      {kScanArchivesPrompt, "No for all", 1},
  };
  for (const auto& c : cases) {
    scanArchives(c.mode);
    int questions = 0;
    std::vector<int16_t> answers;
    QPointer<QTimer> waiting;
    std::function<void(TFormScanArchive&)> answer = [&](TFormScanArchive& archive) {
      ++questions;
      EXPECT_NE(archive.LabelMsg->text().indexOf(".zip?"), -1);
      if (questions == 1) test::saveScreenshot(&archive, "archive-found-dialog");
      if (c.button == nullptr) {
        QTest::keyClick(&archive, Qt::Key_Escape);
      } else {
        click(buttonNamed(archive, c.button));
      }
      answers.push_back(archive.Answer);
      waiting = onNextDialog<TFormScanArchive>(answer);
    };
    waiting = onNextDialog<TFormScanArchive>(answer);
    dialog_.exec();
    delete waiting.data();
    EXPECT_EQ(questions, c.questions) << int(c.mode) << (c.button ? c.button : "Escape");
    if (c.button == nullptr && !answers.empty()) {
      EXPECT_EQ(answers[0], TFormScanArchive::kNo);
    }
    EXPECT_TRUE(dialog_.ScanResult);
    ApiFreeTreeStruct(db_);
  }
}

TEST_F(ScanProgressTest, CancelEndsTheScanWithoutSuccessAndTheFlagIsFreshEachShowing) {
  dialog_.exec();
  EXPECT_TRUE(dialog_.ScanResult);
  EXPECT_FALSE(dialog_.isVisible()) << "the dialog closes when the scan ends";
  ApiFreeTreeStruct(db_);

  // Cancelled while the scan waits on the archive question.
  scanArchives(kScanArchivesPrompt);
  onNextDialog<TFormScanArchive>([this](TFormScanArchive& archive) {
    test::saveScreenshot(&dialog_, "scan-progress-dialog");
    click(dialog_.ButtonCancel);
    click(buttonNamed(archive, "Yes"));
  });
  dialog_.exec();
  EXPECT_FALSE(dialog_.ScanResult) << "no stale success from the scan before";
  EXPECT_EQ(ApiGetKeyCount(db_), 0);
}

TEST_F(ScanProgressTest, ALongPathKeepsTheWindowsWidthAndShowsItsLinuxEnd) {
  // Six folders of 99 bytes and a short one: a path of over 600 bytes without a blank.
  std::string deep;
  for (char c = 'a'; c < 'g'; ++c) deep += std::string(99, c) + "/";
  deep += "lake/";
  disk_.file(deep + "three.zip", "not an archive either");
  scanArchives(kScanArchivesPrompt);
  const QSize designed = dialog_.size();
  int asked = 0;
  QPointer<QTimer> waiting;
  std::function<void(TFormScanArchive&)> answer = [&](TFormScanArchive& archive) {
    if (archive.LabelMsg->text().contains("three.zip")) {
      ++asked;
      const QString shown = dialog_.LabelInfo->text();
      EXPECT_EQ(dialog_.size(), designed);
      EXPECT_TRUE(shown.startsWith(QStringLiteral("\u2026/"))) << shown.toStdString();
      EXPECT_TRUE(shown.endsWith("/lake")) << dialog_.LabelInfo->fullText().toStdString();
      EXPECT_LE(dialog_.LabelInfo->fontMetrics().horizontalAdvance(shown),
                dialog_.LabelInfo->width());
      test::saveScreenshot(&dialog_, "scan-progress-long-path");
    }
    click(buttonNamed(archive, "No"));
    waiting = onNextDialog<TFormScanArchive>(answer);
  };
  waiting = onNextDialog<TFormScanArchive>(answer);
  dialog_.exec();
  delete waiting.data();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(dialog_.width(), 523);
}

TEST_F(ScanProgressTest, PhaseLineAndGaugeFollowTheEngine) {
  // The callbacks act on the window that runs; outside a scan they change nothing.
  CallbackPercent(2, 50);
  EXPECT_TRUE(dialog_.LabelDoing->text().isEmpty());

  scanArchives(kScanArchivesPrompt);
  std::vector<std::string> seen;
  onNextDialog<TFormScanArchive>([&](TFormScanArchive& archive) {
    CallbackPercent(1, 0);
    seen.push_back(dialog_.LabelDoing->text().toStdString() +
                   (dialog_.Gauge->isVisible() ? " gauge" : ""));
    CallbackPercent(2, 40);
    seen.push_back(dialog_.LabelDoing->text().toStdString() +
                   (dialog_.Gauge->isVisible() ? " gauge " : " ") +
                   std::to_string(dialog_.Gauge->Progress()));
    CallbackPercent(7, 90);
    seen.push_back(dialog_.LabelDoing->text().toStdString() +
                   (dialog_.Gauge->isVisible() ? " gauge" : ""));
    click(buttonNamed(archive, "No for all"));
  });
  dialog_.exec();
  EXPECT_EQ(seen,
            (std::vector<std::string>{"Scanning tree structure:",
                                      "Scanning contents of folders and archives: gauge 40", ""}));
}

}  // namespace
}  // namespace vellomar

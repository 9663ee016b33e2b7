#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <set>

#include "tests/ui/dbase/PanelWindow.h"
#include "ui/dbsettings/FLocalOptions.h"
#include "ui/dialogs/FMaskSelect.h"
#include "ui/dialogs/FRenameDlg.h"
#include "ui/settings/USettingsGlobals.h"

namespace vellomar::test {
namespace {

// Rows in key order: live disks by name, then the deleted one.
constexpr int kAlpha = 0;
constexpr int kBeta = 1;
constexpr int kDelta = 2;
constexpr int kGamma = 3;

using DiskPanelTest = PanelWindowTest;

std::vector<bool> selectedDisks(TDBase* db) {
  std::vector<bool> selected;
  for (int32_t i = 0; i < ApiGetKeyCount(db); ++i) selected.push_back(ApiIsKeySelected(db, i));
  return selected;
}

TEST_F(DiskPanelTest, RowsAreDiskIndexesAndTheirTextsShowDeletionAndSelection) {
  ASSERT_EQ(disks().rowCount(), 4);
  EXPECT_EQ(disks().RowText(kAlpha).toStdString(), "Alpha");
  EXPECT_EQ(disks().RowText(kGamma).toStdString(), "(Gamma [1])");
  ApiSelectKey(db(), true, kBeta);
  EXPECT_EQ(disks().RowText(kBeta).toStdString(), "Beta\xC2\xA4");
  EXPECT_EQ(disks().row(), kAlpha);
  EXPECT_EQ(currentDisk(), "Alpha");

  clickDisk(kBeta);
  EXPECT_EQ(currentDisk(), "Beta");
  EXPECT_EQ(files().lines().count(), 30) << "the file list follows the disk";
  EXPECT_EQ(disks().anchor(), kAlpha) << "the row left becomes the anchor";
  saveScreenshot(&window(), "database-window-disks");
}

// "Display deleted disks" changes the disk list at OK, not at the next opening.
TEST_F(DiskPanelTest, DisplayDeletedDisksTakesEffectAtOk) {
  ASSERT_EQ(disks().rowCount(), 4);
  for (const bool show : {false, true}) {
    onNextDialog<TFormLocalOptions>([show](TFormLocalOptions& dialog) {
      dialog.CheckBoxShowDeleted->setChecked(show);
      QTest::mouseClick(dialog.ButtonOK, Qt::LeftButton);
    });
    window().EditLocalOptions();
    EXPECT_EQ(disks().rowCount(), show ? 4 : 3);
    EXPECT_EQ(disks().RowText(disks().rowCount() - 1).toStdString(),
              show ? "(Gamma [1])" : "Delta");
  }
}

TEST_F(DiskPanelTest, KeysAndClicksSelectSinglesAndRanges) {
  disks().setFocus();
  QTest::keyClick(&disks(), Qt::Key_Space);
  EXPECT_EQ(selectedDisks(db()), (std::vector<bool>{true, false, false, false}));
  EXPECT_EQ(disks().row(), kBeta) << "Space moves down";

  QTest::keyClick(&disks(), Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(selectedDisks(db()), (std::vector<bool>{true, true, false, false}));
  QTest::keyClick(&disks(), Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(selectedDisks(db()), (std::vector<bool>{true, true, true, false}));
  QTest::keyClick(&disks(), Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(selectedDisks(db()), (std::vector<bool>{true, true, true, false}))
      << "a deleted disk cannot be selected, so toggling it changes nothing";

  clickDisk(kAlpha);
  clickDisk(kDelta, Qt::ShiftModifier);
  EXPECT_EQ(selectedDisks(db()), (std::vector<bool>{true, true, true, false}));
  clickDisk(kBeta);
  clickDisk(kDelta, Qt::ShiftModifier);
  EXPECT_EQ(selectedDisks(db()), (std::vector<bool>{false, true, true, false}))
      << "Shift+click selects exactly the rows between the clicks";
  clickDisk(kDelta, Qt::ControlModifier);
  EXPECT_EQ(selectedDisks(db()), (std::vector<bool>{false, true, false, false}));

  QTest::keyClick(&disks(), Qt::Key_End);
  EXPECT_EQ(disks().row(), kGamma);
  QTest::keyClick(&disks(), Qt::Key_Home);
  EXPECT_EQ(disks().row(), kAlpha);
}

TEST_F(DiskPanelTest, SelectAllCountsLiveDisksOnly) {
  PersistentSelections = true;
  window().SelectAllIn(true);
  EXPECT_EQ(selectedDisks(db()), (std::vector<bool>{true, true, true, false}));
  window().SelectAllIn(true);
  EXPECT_EQ(selectedDisks(db()), (std::vector<bool>{false, false, false, false}))
      << "select all twice with persistent selections selects nothing";
  PersistentSelections = false;
  window().SelectAllIn(true);
  window().SelectAllIn(true);
  EXPECT_EQ(selectedDisks(db()), (std::vector<bool>{true, true, true, false}));
  window().UnselectAllIn(true);
  EXPECT_EQ(selectedDisks(db()), (std::vector<bool>{false, false, false, false}));
  PersistentSelections = true;

  onNextDialog<TFormMaskSelect>([](TFormMaskSelect& dialog) {
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Selection of disks");
    EXPECT_FALSE(dialog.ComboBoxMaskDisks->isHidden());
    EXPECT_TRUE(dialog.ComboBoxMaskFiles->isHidden());
    dialog.ComboBoxMaskDisks->setEditText("b* d*");
    saveScreenshot(&dialog, "selection-dialog");
    QTest::keyClick(&dialog, Qt::Key_Return);
  });
  window().MaskSelect(true);
  EXPECT_EQ(selectedDisks(db()), (std::vector<bool>{false, true, true, false}));
}

TEST_F(DiskPanelTest, DeleteTakesTheSelectedDisksOrTheCurrentOne) {
  ApiSelectKey(db(), true, kBeta);
  ApiSelectKey(db(), true, kDelta);
  disks().setFocus();
  recorder().answers = {BoxResult::kNo};
  QTest::keyClick(&disks(), Qt::Key_Delete);
  ASSERT_EQ(recorder().boxes.size(), 1U);
  EXPECT_EQ(recorder().boxes[0].caption, "Confirmation");
  EXPECT_EQ(recorder().boxes[0].text, "Disks selected: 2. Delete them all?");
  EXPECT_EQ(ApiGetKeyCount(db()), 4);
  EXPECT_FALSE(disks().IsDiskDeleted());

  QTest::keyClick(&disks(), Qt::Key_Delete);
  idle();
  std::set<std::string> deleted;
  for (int i = 1; i < disks().rowCount(); ++i) deleted.insert(disks().RowText(i).toStdString());
  EXPECT_EQ(disks().RowText(0).toStdString(), "Alpha") << "Alpha was current, not selected";
  EXPECT_EQ(deleted, (std::set<std::string>{"(Beta [2])", "(Delta [3])", "(Gamma [1])"}));

  recorder().clear();
  window().DeleteDisk();
  ASSERT_EQ(recorder().boxes.size(), 1U);
  EXPECT_EQ(recorder().boxes[0].text, "Delete disk \"Alpha\"?");
  idle();
  EXPECT_EQ(currentDisk(), "Alpha [4]");
  EXPECT_TRUE(disks().IsDiskDeleted());

  recorder().clear();
  window().DeleteDisk();
  EXPECT_TRUE(recorder().boxes.empty()) << "a deleted disk is not deleted again";
}

TEST_F(DiskPanelTest, UndeleteAsksForAFreeNameUntilGivenOne) {
  // "Gamma [1]" is taken by a live disk renamed so.
  ApiRenameDisk(db(), kDelta, "Gamma [1]", false);
  idle();
  const int gamma = ApiGetKeyCount(db()) - 1;
  clickDisk(gamma);
  ASSERT_TRUE(disks().IsDiskDeleted());
  std::vector<std::string> labels;
  onNextDialog<TFormRenameDlg>([&labels](TFormRenameDlg& dialog) {
    labels.push_back(dialog.Label2->text().toStdString());
    EXPECT_EQ(dialog.windowTitle().toStdString(), "New name for undeleted disk");
    dialog.Edit1->setText("Alpha");
    dialog.accept();
    onNextDialog<TFormRenameDlg>([&labels](TFormRenameDlg& again) {
      labels.push_back(again.Label2->text().toStdString());
      again.Edit1->setText("Gamma");
      again.accept();
    });
  });
  window().UndeleteDisk();
  idle();
  EXPECT_EQ(labels, (std::vector<std::string>{"Disk with name \"Gamma [1]\" already exists.",
                                              "Disk with name \"Alpha\" already exists."}));
  EXPECT_EQ(currentDisk(), "Gamma");
  EXPECT_FALSE(disks().IsDiskDeleted());
}

TEST_F(DiskPanelTest, RenameChecksUniquenessExceptForACaseChange) {
  onNextDialog<TFormRenameDlg>([](TFormRenameDlg& dialog) {
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Disk name change");
    EXPECT_EQ(dialog.Edit1->text().toStdString(), "Alpha");
    saveScreenshot(&dialog, "rename-dialog");
    dialog.Edit1->setText("ALPHA");
    dialog.accept();
  });
  window().RenameDisk();
  idle();
  EXPECT_EQ(currentDisk(), "ALPHA");

  std::vector<std::string> captions;
  onNextDialog<TFormRenameDlg>([&captions](TFormRenameDlg& dialog) {
    dialog.Edit1->setText("beta");
    dialog.accept();
    onNextDialog<TFormRenameDlg>([&captions](TFormRenameDlg& again) {
      captions.push_back(again.windowTitle().toStdString());
      EXPECT_EQ(again.Label2->text().toStdString(), "Disk with name \"beta\" already exists.");
      again.Edit1->setText("");
      again.accept();
      onNextDialog<TFormRenameDlg>([&captions](TFormRenameDlg& third) {
        captions.push_back(third.windowTitle().toStdString());
        third.reject();
      });
    });
  });
  window().RenameDisk();
  EXPECT_EQ(captions,
            (std::vector<std::string>{"The name must be unique", "The name must be unique"}))
      << "an empty name asks again";
  EXPECT_EQ(currentDisk(), "ALPHA");
}

class ReadOnlyDiskPanelTest : public PanelWindowTest {
 protected:
  ReadOnlyDiskPanelTest() : PanelWindowTest(true) {}
};

TEST_F(ReadOnlyDiskPanelTest, WritingCommandsAreRefused) {
  ASSERT_TRUE(window().readOnly());
  bool asked = false;
  const QPointer<QTimer> watch = onNextDialog<TFormRenameDlg>([&asked](TFormRenameDlg& dialog) {
    asked = true;
    dialog.reject();
  });
  window().RenameDisk();
  window().DeleteDisk();
  EXPECT_FALSE(asked);
  delete watch.data();
  EXPECT_TRUE(recorder().boxes.empty());
  EXPECT_EQ(currentDisk(), "Alpha");
  EXPECT_EQ(ApiGetKeyCount(db()), 4);
}

}  // namespace
}  // namespace vellomar::test

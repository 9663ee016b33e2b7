#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSizeGrip>
#include <QTest>

#include "foundation/UBaseUtils.h"
#include "foundation/UIniFile.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/support/HelpKeys.h"
#include "tests/ui/support/RecordingServices.h"
#include "tests/ui/support/Screenshots.h"
#include "ui/common/UFittedText.h"
#include "ui/common/UPieGauge.h"
#include "ui/common/UWindowPlacement.h"
#include "ui/dialogs/FDescription.h"
#include "ui/dialogs/FInfoDialogs.h"
#include "ui/dialogs/FMaskSelect.h"
#include "ui/dialogs/FProgress.h"
#include "ui/dialogs/FRenameDlg.h"

namespace vellomar::test {
namespace {

TEST(DescriptionDialog, PasteLastOffersTheLastTextSavedNonEmpty) {
  TFormDescription dialog;
  dialog.Prepare("", "C:\\a.txt", false);
  dialog.show();
  EXPECT_TRUE(dialog.ButtonLast->isHidden()) << "nothing saved yet";
  QTest::keyClicks(dialog.MemoDesc, "kept text");
  QTest::keyClick(dialog.MemoDesc, Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.LastText().toStdString(), "kept text");

  dialog.Prepare("", "C:\\b.txt", false);
  dialog.show();
  ASSERT_FALSE(dialog.ButtonLast->isHidden());
  EXPECT_TRUE(dialog.ButtonLast->isEnabled()) << "the memo is empty";
  QTest::mouseClick(dialog.ButtonLast, Qt::LeftButton);
  EXPECT_EQ(dialog.Text().toStdString(), "kept text");
  EXPECT_FALSE(dialog.ButtonLast->isEnabled()) << "the memo is no longer empty";
  saveScreenshot(&dialog, "description-dialog-paste-last");
  dialog.MemoDesc->clear();
  dialog.SaveAndExit();
  EXPECT_TRUE(dialog.LastText().isEmpty()) << "saving an empty text clears the last text";
  dialog.Prepare("", "C:\\c.txt", false);
  dialog.show();
  EXPECT_TRUE(dialog.ButtonLast->isHidden());
  dialog.hide();
}

TEST(DescriptionDialog, EscapeAsksOnlyWhenModified) {
  TFormDescription dialog;
  recorder().clear();
  dialog.Prepare("old", "C:\\a.txt", false);
  dialog.show();
  QTest::keyClick(dialog.MemoDesc, Qt::Key_Escape);
  EXPECT_TRUE(recorder().boxes.empty());
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);

  dialog.Prepare("old", "C:\\a.txt", false);
  dialog.show();
  QTest::keyClicks(dialog.MemoDesc, "new ");
  recorder().answers = {BoxResult::kCancel, BoxResult::kYes};
  QTest::keyClick(dialog.MemoDesc, Qt::Key_Escape);
  ASSERT_EQ(recorder().boxes.size(), 1U);
  EXPECT_EQ(recorder().boxes[0].caption, "Description");
  EXPECT_EQ(recorder().boxes[0].text, "Description text was modified. Save?");
  EXPECT_EQ(recorder().boxes[0].buttons, BoxButtons::kYesNoCancel);
  EXPECT_TRUE(dialog.isVisible()) << "Cancel keeps the editor open";
  QTest::keyClick(dialog.MemoDesc, Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted) << "Yes saves";
  EXPECT_TRUE(dialog.LastText().isEmpty()) << "without becoming the last text";

  dialog.Prepare("locked", "C:\\a.txt", true);
  EXPECT_TRUE(dialog.MemoDesc->isReadOnly());
  EXPECT_FALSE(dialog.ButtonOK->isEnabled());
  EXPECT_FALSE(dialog.MenuExitAndSave->isEnabled());
}

TEST(DescriptionDialog, FindRunsForwardFromTheSelectionIgnoringCase) {
  TFormDescription dialog;
  dialog.Prepare("xABCx abc", "C:\\a.txt", false);
  dialog.show();
  dialog.FindDialog->FindText->setText("abc");
  dialog.FindNextText();
  EXPECT_EQ(dialog.MemoDesc->textCursor().selectionStart(), 1);
  EXPECT_EQ(dialog.MemoDesc->textCursor().selectedText().toStdString(), "ABC");
  dialog.FindNextText();
  EXPECT_EQ(dialog.MemoDesc->textCursor().selectionStart(), 6);
  dialog.FindNextText();
  EXPECT_EQ(dialog.MemoDesc->textCursor().selectionStart(), 6) << "no hit changes nothing";

  dialog.FindDialog->MatchCase->setChecked(true);
  QTextCursor start = dialog.MemoDesc->textCursor();
  start.setPosition(0);
  dialog.MemoDesc->setTextCursor(start);
  dialog.FindNextText();
  EXPECT_EQ(dialog.MemoDesc->textCursor().selectionStart(), 6);
  dialog.hide();
}

// A long path beside the buttons: it is cut to its end, the buttons lie wholly inside the
// window and clear of its size grip, and the label keeps off the window's edge.
TEST(DescriptionDialog, ALongPathLeavesTheButtonsInside) {
  TFormDescription dialog;
  dialog.resize(500, 350);
  const QString path = "H:\\" + QString("folder\\").repeated(60) + "ReadMe.doc";
  dialog.Prepare("text", path, false);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  EXPECT_EQ(dialog.width(), 500);
  EXPECT_EQ(dialog.LabelFile->fullText(), path);
  EXPECT_TRUE(dialog.LabelFile->text().endsWith("\\ReadMe.doc"));
  EXPECT_GT(dialog.LabelFile->x(), 0);
  const QSizeGrip* grip = dialog.findChild<QSizeGrip*>();
  ASSERT_NE(grip, nullptr);
  for (const QPushButton* button : {dialog.ButtonLast, dialog.ButtonOK, dialog.ButtonCancel}) {
    if (!button->isVisible()) continue;
    EXPECT_TRUE(dialog.rect().contains(button->geometry())) << button->text().toStdString();
    EXPECT_FALSE(button->geometry().intersects(grip->geometry())) << button->text().toStdString();
  }
  saveScreenshot(&dialog, "description-long-path");
  dialog.hide();
}

TEST(DescriptionDialog, KeepsItsBoundsInTheProgramIniFile) {
  TempFolder config;
  setConfigFolder(config.path() + "/");
  TFormDescription dialog;
  dialog.LoadWindowPos();
  EXPECT_EQ(dialog.geometry(), centredBounds(QSize(500, 350), screenArea())) << "no file yet";

  config.file("Vellomar.INI", "[DescriptionWindow]\nLeft=40\nTop=30\nWidth=320\nHeight=200\n");
  dialog.LoadWindowPos();
  EXPECT_EQ(dialog.geometry(), QRect(40, 30, 320, 200));

  // The main window writes every kept placement at the end of the run.
  dialog.setGeometry(50, 60, 330, 210);
  IniFile ini;
  writePlacements(ini);
  EXPECT_EQ(ini.readInteger("DescriptionWindow", "Left", 0), 50);
  EXPECT_EQ(ini.readInteger("DescriptionWindow", "Top", 0), 60);
  EXPECT_EQ(ini.readInteger("DescriptionWindow", "Width", 0), 330);
  EXPECT_EQ(ini.readInteger("DescriptionWindow", "Height", 0), 210);
}

TEST(MaskSelectDialog, HistoryKeepsEachMaskOnceAsTyped) {
  TFormMaskSelect dialog;
  dialog.ShowMasksFor(false);
  for (const char* mask : {"*.txt", "*.txt", "*.TXT", ""}) {
    dialog.show();
    dialog.ComboBoxMaskFiles->setEditText(mask);
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  }
  QStringList items;
  for (int i = 0; i < dialog.ComboBoxMaskFiles->count(); ++i) {
    items << dialog.ComboBoxMaskFiles->itemText(i);
  }
  EXPECT_EQ(items, (QStringList{"*.txt", "*.TXT"}));
  EXPECT_EQ(dialog.ComboBoxMaskDisks->count(), 0) << "the hidden history stays as it was";
  // Typing a mask the history continues selects by what was typed, not by the history's item.
  dialog.show();
  dialog.ComboBoxMaskFiles->lineEdit()->clear();
  QTest::keyClicks(dialog.ComboBoxMaskFiles->lineEdit(), "*");
  QTest::keyClick(dialog.ComboBoxMaskFiles->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(dialog.VisibleCombo()->currentText(), "*");
  recorder().clear();
  dialog.show();
  dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Help)->click();
  EXPECT_EQ(recorder().helpContexts, (std::vector<int>{TFormMaskSelect::kHelpContext}));
  dialog.hide();
}

TEST(ProgressDialog, TheGaugeOnlyMovesForwardAndStopEndsTheFilling) {
  TFormProgress dialog;
  std::vector<int> seen;
  int filled = 0;
  dialog.Run("Filling", [&] {
    dialog.SetProgress(40);
    dialog.SetProgress(20);
    seen.push_back(dialog.Gauge1->Progress());
    saveScreenshot(&dialog, "progress-dialog");
    for (; filled < 1000 && !dialog.Stopped(); ++filled) {
      if (filled == 10) dialog.ButtonStop->click();
    }
  });
  EXPECT_EQ(seen, (std::vector<int>{40}));
  EXPECT_EQ(filled, 11) << "the filling saw the stop at its next item";
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.windowTitle().toStdString(), "Filling");
}

TEST(DialogHelp, F1OpensEachDialogsTopicFromWhereverTheFocusIs) {
  TFormDescription description;
  TFormMaskSelect mask;
  TFormDiskInfo disk;
  TFormDBaseInfo dbase;
  TFormRenameDlg rename;
  mask.ShowMasksFor(false);
  EXPECT_EQ(helpOpenedByF1({{&description, description.MemoDesc},
                            {&mask, mask.ComboBoxMaskFiles},
                            {&disk, &disk},
                            {&dbase, &dbase},
                            {&rename, rename.Edit1}}),
            (std::vector<int>{TFormDescription::kHelpContext, TFormMaskSelect::kHelpContext,
                              TFormDiskInfo::kHelpContext, TFormDBaseInfo::kHelpContext,
                              TFormRenameDlg::kHelpContext}));
}

TEST(InfoDialogs, ShowTheirValues) {
  TDiskInfo info;
  info.DiskName = "Backup 3";
  info.Drive = 'd';
  info.Files = 1234;
  TFormDiskInfo disk;
  disk.SetValues(info);
  EXPECT_EQ(disk.LabelOriginalFolder->text().toStdString(), "D:");
  EXPECT_EQ(disk.LabelFiles->text().toStdString(), "1 234");
  disk.show();
  saveScreenshot(&disk, "disk-information");
  disk.hide();

  TDBaseStats stats;
  stats.KeyCount = 1000;
  stats.LiveKeys = 890;
  TFormDBaseInfo dbase;
  dbase.SetValues(stats, "Music");
  EXPECT_EQ(dbase.LabelReindex->text().toStdString(), "yes");
  EXPECT_EQ(dbase.LabelRecordsDeleted->text().toStdString(), "110");
  dbase.show();
  saveScreenshot(&dbase, "database-information");
  dbase.hide();
}

}  // namespace
}  // namespace vellomar::test

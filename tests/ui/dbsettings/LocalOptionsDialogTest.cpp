#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include "engine/api/UApi.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/support/RecordingServices.h"
#include "tests/ui/support/Screenshots.h"
#include "ui/dbsettings/FLocalOptions.h"

namespace vellomar {
namespace {

class LocalOptionsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::recorder().clear();
    path_ = folder_.at("settings.kvd");
    ASSERT_TRUE(ApiCreateDBase(ShortString(path_)));
    ShortString message;
    ASSERT_TRUE(ApiOpenDBase(ShortString(path_), false, db_, message));
    dialog_.SetFilterNames({"HTML", "MP3", "MP3Tag", "RTF", "Uni"});
  }
  void TearDown() override { ApiCloseDBase(db_, false); }

  // Opens the dialog on the record and presses OK or Cancel; the record as it then stands.
  TLocalOptions edit(const TLocalOptions& options, const std::function<void()>& change,
                     bool ok = true) {
    dialog_.SetOptions(options);
    dialog_.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog_));
    change();
    QTest::mouseClick(ok ? dialog_.ButtonOK : dialog_.ButtonCancel, Qt::LeftButton);
    TLocalOptions result = options;
    dialog_.GetOptions(result);
    return result;
  }

  // The page comes to front and lays its controls out, as when the user picks its tab.
  void onPage(int index) {
    dialog_.Pages->tabBar()->setCurrentIndex(index);
    QCoreApplication::processEvents();
  }

  // A click on a check box or radio button lands on its indicator, at its left end.
  static void tick(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
  }

  std::string cell(int row, int column) const {
    return dialog_.StringGridMasks->item(row, column)->text().toStdString();
  }

  vellomar::test::TempFolder folder_{"dbsettings"};
  std::string path_;
  TDBase* db_ = nullptr;
  TFormLocalOptions dialog_;
};

TEST_F(LocalOptionsDialogTest, RoundTripThroughTheDatabaseKeepsWhatTheDialogDoesNotShow) {
  TLocalOptions options;
  ApiGetLocalOptions(db_, options);
  for (size_t i = 0; i < options.Reserved.size(); ++i) options.Reserved[i] = uint8_t(i * 7);
  options.GenerateFolderDesc = true;
  options.DiskNameCounter = 41;
  options.DescFileTable = "*.nfo|5|Uni|*.diz|many||";
  const TLocalOptions edited = edit(options, [&] {
    onPage(2);
    tick(dialog_.CheckBoxShowDeleted);
    dialog_.EditDiskNamePattern->clear();
    QTest::keyClicks(dialog_.EditDiskNamePattern, "  Disk #  ");
  });
  ApiSetLocalOptions(db_, edited);
  ASSERT_TRUE(ApiCloseDBase(db_, false));
  ShortString message;
  ASSERT_TRUE(ApiOpenDBase(ShortString(path_), false, db_, message));
  TLocalOptions stored;
  ApiGetLocalOptions(db_, stored);
  EXPECT_EQ(stored.Reserved, options.Reserved);
  EXPECT_TRUE(stored.GenerateFolderDesc) << "a hidden flag carried through";
  EXPECT_EQ(stored.DiskNameCounter, 41);
  EXPECT_EQ(stored.ShowDeleted, !options.ShowDeleted);
  EXPECT_EQ(stored.DiskNamePattern.str(), "Disk #");
  EXPECT_EQ(stored.AlwaysTwo, 2);
  EXPECT_EQ(stored.DescFileTable, "*.nfo|5000|Uni|*.diz|many||")
      << "thousands shown and stored as such; text that is no number kept";
  test::saveScreenshot(&dialog_, "database-settings");
}

TEST_F(LocalOptionsDialogTest, TheTableIsEditedWithItsButtonsAndKeys) {
  TLocalOptions options;
  SetDefaultLocalOptions(options);
  options.ScanDesc = true;
  const TLocalOptions edited = edit(options, [&] {
    onPage(0);
    EXPECT_EQ(cell(1, 0), "*.doc");
    EXPECT_EQ(cell(1, 2), "Uni");
    dialog_.StringGridMasks->setCurrentCell(2, 0);
    dialog_.EditNewFileName->clear();
    QTest::keyClicks(dialog_.EditNewFileName, "*.nfo   *.diz");
    dialog_.ComboBoxConv->setCurrentIndex(0);
    QTest::mouseClick(dialog_.ButtonAdd, Qt::LeftButton);
    EXPECT_EQ(cell(2, 0), "*.nfo *.diz") << "inserted at the cursor, blanks collapsed";
    EXPECT_EQ(cell(2, 2), "") << "(no filter) stores an empty field";
    EXPECT_EQ(cell(3, 0), "*.wri");
    EXPECT_TRUE(dialog_.EditNewFileName->text().isEmpty());

    dialog_.StringGridMasks->setCurrentCell(7, 0);  // "*.mp3", filter "MP3Tag"
    QTest::mouseClick(dialog_.ButtonDiscard, Qt::LeftButton);
    EXPECT_EQ(dialog_.EditNewFileName->text().toStdString(), "*.mp3");
    EXPECT_EQ(dialog_.ComboBoxConv->currentText().toStdString(), "MP3Tag")
        << "chosen by its whole name, not by its first letter";
    EXPECT_EQ(cell(7, 0), "");

    dialog_.StringGridMasks->setFocus();
    dialog_.StringGridMasks->setCurrentCell(0, 0);
    QTest::keyClick(dialog_.StringGridMasks, Qt::Key_Delete);
    EXPECT_EQ(cell(0, 0), "*.doc");
    test::saveScreenshot(&dialog_, "database-settings-descriptions");
  });
  EXPECT_EQ(edited.DescFileTable,
            "*.doc|1000|Uni|*.nfo *.diz|500||*.wri|500|Uni|*.htm|500|HTML|*.html|500|HTML|*.rtf|"
            "500|RTF|");
}

TEST_F(LocalOptionsDialogTest, CancelShowsWhatTheDialogShowedWhenOpened) {
  TLocalOptions options;
  SetDefaultLocalOptions(options);
  options.ScanArchives = kScanArchivesPrompt;
  options.OverwriteWarning = false;
  const TLocalOptions kept = edit(
      options,
      [&] {
        onPage(2);
        tick(dialog_.CheckBoxOverwriteWarning);
        onPage(1);
        tick(dialog_.RadioGroupScanArchives[kScanArchivesNo]);
        test::saveScreenshot(&dialog_, "database-settings-archives");
        EXPECT_FALSE(dialog_.CheckBoxExtractFromZips->isEnabled());
        EXPECT_FALSE(dialog_.SpinEditSizeLimit->isEnabled());
        onPage(2);
        QTest::mouseClick(dialog_.ButtonResetCounter, Qt::LeftButton);
      },
      false);
  EXPECT_FALSE(kept.OverwriteWarning);
  EXPECT_EQ(kept.ScanArchives, kScanArchivesPrompt);
  EXPECT_TRUE(dialog_.CheckBoxExtractFromZips->isEnabled());

  const TLocalOptions reset = edit(options, [&] {
    onPage(2);
    QTest::mouseClick(dialog_.ButtonResetCounter, Qt::LeftButton);
  });
  EXPECT_EQ(reset.DiskNameCounter, 0);
}

TEST_F(LocalOptionsDialogTest, F1AndHelpOpenTheDialogsTopic) {
  edit(
      TLocalOptions(),
      [&] {
        QTest::keyClick(dialog_.Pages->tabBar(), Qt::Key_F1);
        QTest::mouseClick(dialog_.ButtonHelp, Qt::LeftButton);
      },
      false);
  EXPECT_EQ(test::recorder().helpContexts,
            (std::vector<int>{TFormLocalOptions::kHelpContext, TFormLocalOptions::kHelpContext}));
}

}  // namespace
}  // namespace vellomar

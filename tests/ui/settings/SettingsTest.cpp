#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "engine/api/UApiTypes.h"
#include "foundation/UBaseUtils.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/support/RecordingServices.h"
#include "tests/ui/support/Screenshots.h"
#include "ui/common/UFonts.h"
#include "ui/settings/FSettings.h"
#include "ui/settings/USettingsGlobals.h"

namespace vellomar {
namespace {

TEST(Fonts, ScriptNamesAndHeights) {
  for (const char* name : {"centraleurope", "CENTRALEUROPE", "CentralEurope"})
    EXPECT_EQ(NameToCharset(name), 238) << name;
  EXPECT_EQ(NameToCharset("Cyrillic"), 1);
  EXPECT_EQ(NameToCharset(""), 1);
  EXPECT_EQ(CharsetToName(204), "Russian");
  EXPECT_EQ(CharsetToName(163), "");
  EXPECT_EQ(NameToCharset(CharsetToName(163)), 1);  // written and read back: the default
  EXPECT_EQ(PointsToHeightAt(8, 96), -11);
  EXPECT_EQ(PointsToHeightAt(9, 96), -12);
  EXPECT_EQ(PointsToHeightAt(10, 120), -17);

  TLogFont font;
  MakeLogFont(font, "MS Sans Serif", 8, "Default", false, true);
  EXPECT_EQ(FontLabelText(font, 8), "MS Sans Serif, Default, 8, bold");
  font.lfWeight = 600;  // a weight the dialog may give: neither shown nor stored as bold
  font.lfItalic = 1;
  EXPECT_EQ(FontLabelText(font, 8), "MS Sans Serif, Default, 8, italics");
  EXPECT_FALSE(fontOf(font).bold());
  // A face this system lacks still gives a usable font.
  EXPECT_FALSE(QFontInfo(fontOf(font)).family().isEmpty());
}

TEST(ProgramSettings, FirstStartAndBadValues) {
  const ProgramSettings first = ProgramSettings::defaults();
  EXPECT_FALSE(first.DetailedDisplay);
  EXPECT_EQ(first.SortCrit, 0);
  EXPECT_TRUE(first.SizeInKB);
  EXPECT_TRUE(first.ShowTree);
  for (int32_t size : first.FontSizes) EXPECT_EQ(size, 9);

  // With a file, missing keys take the file's defaults (fonts 8 or 9 points) and values out of
  // range take them too.
  const ProgramSettings read = ProgramSettings::read(IniFile::fromText(
      "[Display]\nSortCrit=7\nSizeDisplay=2\nShowTree=yes\n"
      "[DiskPanel]\nFontSize=300\nFontName=\n"
      "[TreePanel]\nFontSize=12\nFontScript=Greek\nBold=1\n"
      "[Print]\nTopMargin=-3\nLeftMargin=51\nRightMargin=50\n"
      "[Application]\nMDIChildHeader0=2\nMDIChildHeader1=0\nMDIChildHeader2=99999999\n"));
  EXPECT_EQ(read.SortCrit, 0);
  EXPECT_TRUE(read.SizeInKB);
  EXPECT_TRUE(read.ShowTree);
  EXPECT_EQ(read.FontSizes[kDiskFont], 8);
  EXPECT_EQ(read.Fonts[kDiskFont].lfFaceName, "MS Sans Serif");
  EXPECT_EQ(read.FontSizes[kTreeFont], 12);
  EXPECT_EQ(read.Fonts[kTreeFont].lfCharSet, 161);
  EXPECT_EQ(read.Fonts[kTreeFont].lfWeight, 700);
  EXPECT_EQ(read.FontSizes[kPrintFont], 9);
  EXPECT_EQ(read.Fonts[kPrintFont].lfFaceName, "Arial");
  EXPECT_EQ(read.TopMargin, 15);
  EXPECT_EQ(read.LeftMargin, 15);
  EXPECT_EQ(read.RightMargin, 50);
  EXPECT_EQ(read.HeaderWidths, (std::array<int32_t, 3>{5, 5, 242}));
}

TEST(ProgramSettings, AHiddenTreeKeepsItsWidth) {
  ProgramSettings s = ProgramSettings::defaults();
  s.storeHeaderWidths(80, 0, 400);  // the tree column dragged shut
  EXPECT_EQ(s.HeaderWidths, (std::array<int32_t, 3>{80, 152, 400}));
  TGlobalOptions o;
  s.getOptions(o);
  EXPECT_TRUE(o.ShowTree);
  o.MDIChildHeader1 = 0;  // a window's snapshot with no tree width hides the tree
  s.setOptions(o);
  EXPECT_FALSE(s.ShowTree);
}

class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { ini_ = folder_.at("Vellomar.INI"); }

  template <typename T>
  static T* control(TFormSettings& dialog, const char* name) {
    T* w = dialog.findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }

  // Opens the dialog, lets act change its controls, then presses the button.
  static void runDialog(TFormSettings& dialog, const std::function<void()>& act, const char* button,
                        const char* screenshot = nullptr) {
    QTimer::singleShot(0, &dialog, [&dialog, act, button, screenshot] {
      act();
      if (screenshot != nullptr) test::saveScreenshot(&dialog, screenshot);
      QTest::mouseClick(control<QPushButton>(dialog, button), Qt::LeftButton);
    });
    dialog.exec();
  }

  test::TempFolder folder_;
  std::string ini_;
};

TEST_F(SettingsDialogTest, SaveRoundTripKeepsUnknownLines) {
  folder_.file("Vellomar.INI",
               "; written by hand\r\n[General]\r\nMyOwnKey=keep\r\nAutoLoadLast=1\r\n\r\n"
               "[Display]\r\nSortCrit=2\r\n[Unknown]\r\nx=y\r\n");
  {
    TFormSettings dialog(ini_);
    EXPECT_EQ(dialog.settings().SortCrit, 2);
    runDialog(
        dialog,
        [&] {
          QTest::mouseClick(control<QRadioButton>(dialog, "RadioButtonDetailed"), Qt::LeftButton);
          control<QCheckBox>(dialog, "CheckBoxShowSeconds")->click();
          control<QCheckBox>(dialog, "CheckBoxOpenLastOpened")->click();
          QLineEdit* header = control<QLineEdit>(dialog, "EditPrintHeader");
          header->setFocus();
          QTest::keyClicks(header, "My disks");
          EXPECT_TRUE(control<QLineEdit>(dialog, "EditAutoLoadDBase")->isEnabled());
        },
        "ButtonSave", "program-settings");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  }
  const std::string text = test::contentOf(ini_);
  EXPECT_TRUE(
      text.starts_with("; written by hand\r\n[General]\r\nMyOwnKey=keep\r\nAutoLoadLast=0\r\n"))
      << text;
  EXPECT_NE(text.find("[Unknown]\r\nx=y\r\n"), std::string::npos);
  TFormSettings again(ini_);
  const ProgramSettings& s = again.settings();
  EXPECT_TRUE(s.DetailedDisplay);
  EXPECT_TRUE(s.ShowSeconds);
  EXPECT_FALSE(s.AutoLoadLast);
  EXPECT_EQ(s.SortCrit, 2);
  EXPECT_EQ(s.PrintHeader, "My disks");
}

TEST_F(SettingsDialogTest, OkTakesEffectWithoutWritingCancelLeavesAllButTheCdSwitches) {
  TFormSettings dialog(ini_);
  const bool eject = EjectAfterScan;
  runDialog(
      dialog,
      [&] {
        control<QCheckBox>(dialog, "CheckBoxEjectAfterCdScan")->click();
        control<QCheckBox>(dialog, "CheckBoxShowSeconds")->click();
        // The font dialog offers the sizes 6 to 24 only; confirmed with another size, it
        // changes the label at once.
        QTimer::singleShot(0, [] {
          for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* fonts = qobject_cast<TFontDialog*>(w); fonts && fonts->isVisible()) {
              QComboBox& sizes = *fonts->SizeBox;
              ASSERT_GT(sizes.count(), 0);
              for (int i = 0; i < sizes.count(); ++i) {
                EXPECT_GE(sizes.itemData(i).toInt(), 6);
                EXPECT_LE(sizes.itemData(i).toInt(), 24);
              }
              test::saveScreenshot(fonts, "font-dialog");
              sizes.setCurrentIndex(sizes.findData(14));
              fonts->accept();
            }
        });
        QTest::mouseClick(control<QPushButton>(dialog, "ButtonChangeFont0"), Qt::LeftButton);
        EXPECT_TRUE(control<QLabel>(dialog, "LabelDiskFont")->text().endsWith(", 14"))
            << control<QLabel>(dialog, "LabelDiskFont")->text().toStdString();
      },
      "ButtonCancel");
  EXPECT_EQ(EjectAfterScan, !eject);  // took effect when clicked
  EXPECT_FALSE(dialog.settings().ShowSeconds);
  EXPECT_EQ(dialog.settings().FontSizes[kDiskFont], 9);

  runDialog(
      dialog,
      [&] {
        EXPECT_TRUE(control<QLabel>(dialog, "LabelDiskFont")->text().endsWith(", 9"));
        control<QCheckBox>(dialog, "CheckBoxOneKbIs1024")->click();
      },
      "ButtonOK");
  TGlobalOptions o;
  dialog.GetOptions(o);
  EXPECT_FALSE(o.OneKbIs1024);
  EXPECT_EQ(KiloUnit, 1000);
  EXPECT_FALSE(std::filesystem::exists(ini_));  // OK writes nothing
  EjectAfterScan = eject;
  dialog.settings().OneKbIs1024 = true;
  dialog.GetOptions(o);
}

TEST_F(SettingsDialogTest, F1AndHelpOpenTheDialogsTopic) {
  TFormSettings dialog(ini_);
  test::recorder().clear();
  runDialog(
      dialog,
      [&] {
        QTest::keyClick(control<QCheckBox>(dialog, "CheckBoxShowIcons"), Qt::Key_F1);
        QTest::mouseClick(control<QPushButton>(dialog, "ButtonHelp"), Qt::LeftButton);
      },
      "ButtonCancel");
  EXPECT_EQ(test::recorder().helpContexts,
            (std::vector<int>{TFormSettings::kHelpContext, TFormSettings::kHelpContext}));
}

TEST_F(SettingsDialogTest, AReadOnlyFileIsNeverWritten) {
  const std::string original = "[General]\nAutosave=1\n";
  folder_.file("Vellomar.INI", original);
  ::chmod(ini_.c_str(), 0444);
  {
    TFormSettings dialog(ini_);
    EXPECT_TRUE(dialog.settings().Autosave);
    runDialog(
        dialog, [&] { control<QCheckBox>(dialog, "CheckBoxShowIcons")->click(); }, "ButtonSave");
  }  // and the automatic save at the end
  EXPECT_EQ(test::contentOf(ini_), original);
}

TEST_F(SettingsDialogTest, AWindowsSnapshotIsWhatTheDialogShows) {
  TFormSettings dialog(ini_);
  TGlobalOptions window;
  dialog.GetOptions(window);
  window.DisplayMode = 1;
  window.SortCrit = 3;
  dialog.SetOptions(window);
  runDialog(
      dialog,
      [&] {
        EXPECT_TRUE(control<QRadioButton>(dialog, "RadioButtonDetailed")->isChecked());
        EXPECT_TRUE(control<QCheckBox>(dialog, "CheckBoxShowSize")->isEnabled());
        QTest::mouseClick(control<QRadioButton>(dialog, "RadioButtonBrief"), Qt::LeftButton);
        EXPECT_FALSE(control<QCheckBox>(dialog, "CheckBoxShowSize")->isEnabled());
      },
      "ButtonOK");
  TGlobalOptions after;
  dialog.GetOptions(after);
  EXPECT_EQ(after.DisplayMode, 0);
  EXPECT_EQ(after.SortCrit, 3);
}

}  // namespace
}  // namespace vellomar

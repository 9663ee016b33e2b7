#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "foundation/UBaseUtils.h"
#include "foundation/UIniFile.h"
#include "tests/ui/support/HelpKeys.h"
#include "tests/ui/support/RecordingServices.h"
#include "tests/ui/support/Screenshots.h"
#include "ui/search/FFindFileDlg.h"
#include "ui/search/FMoreOptions.h"
#include "ui/search/UHistoryCombo.h"

namespace vellomar::test {
namespace {

using std::chrono::day;
using std::chrono::month;
using std::chrono::year;

// A check box or radio button takes a click on its mark, not anywhere in its stretched width.
void click(QAbstractButton* button) {
  const bool mark = qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button);
  const QPoint at = mark ? QPoint(6, button->height() / 2) : button->rect().center();
  QTest::mouseClick(button, Qt::LeftButton, {}, at);
}

void typeInto(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, text);
}

void typeInto(QComboBox* combo, const QString& text) {
  typeInto(combo->lineEdit(), text);
}

void typeInto(QSpinBox* spin, int value) {
  spin->setFocus();
  spin->selectAll();
  QTest::keyClicks(spin, QString::number(value));
}

// The arrow of a date spin button: up or down.
QToolButton* arrow(QWidget* spin, bool up) {
  const QList<QToolButton*> arrows = spin->findChildren<QToolButton*>();
  return arrows.at(up ? 0 : 1);
}

// Fresh dialogs for each test (the run's instances keep state between tests), dates written
// day.month.year.
class SearchDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    recorder().clear();
    savedFormat_ = displayLocale().shortDateFormat;
    displayLocale().shortDateFormat = "%d.%m.%Y";
    more_ = std::make_unique<TFormMoreOptions>();
    search_ = std::make_unique<TFormSearchFileDlg>(*more_);
  }

  void TearDown() override { displayLocale().shortDateFormat = savedFormat_; }

  std::string savedFormat_;
  std::unique_ptr<TFormMoreOptions> more_;
  std::unique_ptr<TFormSearchFileDlg> search_;
};

TEST_F(SearchDialogs, EveryControlReachesTheRequest) {
  TFormSearchFileDlg& d = *search_;
  d.show();
  typeInto(d.ComboBoxMask, "red car");
  EXPECT_TRUE(d.CheckBoxAddWildcards->isEnabled());
  EXPECT_TRUE(d.CheckBoxPhrase->isEnabled());
  click(d.CheckBoxAddWildcards);
  click(d.CheckBoxPhrase);
  click(d.CheckBoxCaseSensitive);
  click(d.CheckBoxStrictMask);
  click(static_cast<QRadioButton*>(d.RadioGroupSearch->button(3)));
  click(d.CheckBoxDiskNames);
  click(d.CheckBoxDescriptions);
  d.ComboBoxScanDirLevel->setFocus();
  QTest::keyClick(d.ComboBoxScanDirLevel, Qt::Key_Down);
  QTest::keyClick(d.ComboBoxScanDirLevel, Qt::Key_Down);
  typeInto(d.SpinEditMaxRecs, 50000);
  EXPECT_EQ(d.SpinEditMaxRecs->maximum(), 50000);
  saveScreenshot(&d, "search-dialog");
  click(d.ButtonOK);
  ASSERT_EQ(d.result(), QDialog::Accepted);

  const TSearchDlgData& r = d.DlgData;
  EXPECT_EQ(r.Mask.str(), "red car");
  EXPECT_TRUE(r.AddWildcards);
  EXPECT_TRUE(r.Phrase);
  EXPECT_TRUE(r.CaseSensitive);
  EXPECT_TRUE(r.StrictMask);
  EXPECT_EQ(r.SearchIn, SearchScope::kNotSelectedDisks);
  EXPECT_FALSE(r.DiskNames);
  EXPECT_TRUE(r.FileNames);
  EXPECT_TRUE(r.FolderNames);
  EXPECT_FALSE(r.Descriptions);
  EXPECT_EQ(r.ScanDirLevel, 1);
  EXPECT_EQ(r.MaxRecs, 50000);
  EXPECT_FALSE(r.UseMoreOptions);
  EXPECT_EQ(d.ComboBoxMask->itemText(0), "red car") << "the text went into the history";

  // The more options stay out of the request until they are asked for.
  TMoreOptionsControls more = more_->controls();
  more.ExcludeText = "*.bak";
  more.DirMaskText = "docs";
  more.Key1 = 3;
  more_->setControls(more);
  d.show();
  typeInto(d.ComboBoxMask, "*.txt");
  EXPECT_FALSE(d.CheckBoxAddWildcards->isEnabled());
  click(d.ButtonOK);
  EXPECT_FALSE(d.DlgData.AddWildcards) << "disabled, though still ticked";
  EXPECT_TRUE(d.CheckBoxAddWildcards->isChecked());
  EXPECT_TRUE(d.DlgData.ExcludeMask.empty());
  EXPECT_TRUE(d.DlgData.DirMask.empty());
  EXPECT_EQ(d.DlgData.SortKey1, FoundSortKey::kExtName);

  d.show();
  click(d.CheckBoxUseMoreOptions);
  click(d.ButtonOK);
  EXPECT_TRUE(d.DlgData.UseMoreOptions);
  EXPECT_TRUE(d.DlgData.MoreOptionsActive);
  EXPECT_EQ(d.DlgData.ExcludeMask.str(), "*.bak");
  EXPECT_EQ(d.DlgData.DirMask.str(), "docs");
  EXPECT_EQ(d.DlgData.SortKey1, FoundSortKey::kSize);
}

TEST_F(SearchDialogs, EmptyTextIsRefusedAndCancelRestoresTheControls) {
  TFormSearchFileDlg& d = *search_;
  d.show();
  typeInto(d.ComboBoxMask, "");
  click(d.ButtonOK);
  ASSERT_EQ(recorder().boxes.size(), 1u);
  EXPECT_EQ(recorder().boxes[0].caption, "Cannot search");
  EXPECT_EQ(recorder().boxes[0].text, "You did not enter the text to be searched.");
  EXPECT_TRUE(d.isVisible());

  typeInto(d.ComboBoxMask, "kept");
  click(d.ButtonOK);
  d.show();
  typeInto(d.ComboBoxMask, "changed");
  click(d.CheckBoxCaseSensitive);
  click(static_cast<QRadioButton*>(d.RadioGroupSearch->button(2)));
  typeInto(d.SpinEditMaxRecs, 7);
  QTest::keyClick(&d, Qt::Key_Escape);
  EXPECT_EQ(d.result(), QDialog::Rejected);
  EXPECT_EQ(d.ComboBoxMask->currentText(), "kept");
  EXPECT_FALSE(d.CheckBoxCaseSensitive->isChecked());
  EXPECT_EQ(d.RadioGroupSearch->checkedId(), 0);
  EXPECT_EQ(d.SpinEditMaxRecs->value(), 1000);
}

TEST_F(SearchDialogs, MoreOptionsDatesSizesAndTheirLimits) {
  TFormMoreOptions& m = *more_;
  m.show();
  typeInto(m.EditDateTo, QString::fromStdString(formatSearchDate({year(2000), month(1), day(30)})));
  click(arrow(m.SpinButtons[1][0], true));
  EXPECT_TRUE(m.CheckBoxDateTo->isChecked()) << "a spin ticks its box";
  EXPECT_EQ(m.EditDateTo->text().toStdString(), formatSearchDate({year(2000), month(1), day(31)}));
  typeInto(m.EditDateFrom,
           QString::fromStdString(formatSearchDate({year(2004), month(1), day(30)})));
  click(arrow(m.SpinButtons[0][1], true));
  EXPECT_EQ(m.EditDateFrom->text().toStdString(),
            formatSearchDate({year(2004), month(2), day(29)}));
  typeInto(m.SpinEditSizeFrom, 1000);
  typeInto(m.SpinEditSizeTo, 2000);
  typeInto(m.SpinEditSizeTo, 1100);
  EXPECT_EQ(m.SpinEditSizeFrom->value(), 1000) << "typing into To: leaves From: alone";
  EXPECT_EQ(m.SpinEditSizeTo->value(), 1100);
  typeInto(m.SpinEditSizeFrom, 300);
  EXPECT_EQ(m.SpinEditSizeTo->value(), 1100) << "and typing into From: leaves To: alone";
  EXPECT_EQ(m.SpinEditSizeTo->maximum(), kMaxSizeLimitKB);
  click(m.CheckBoxSearchAsAnsi);
  EXPECT_TRUE(m.CheckBoxSearchAsAnsi->isChecked()) << "one code page stays on";
  typeInto(m.ComboBoxExclude, "*.bak");
  saveScreenshot(&m, "more-options-dialog");

  // A ticked date that is no date is refused.
  typeInto(m.EditDateFrom, "31.31.31");
  QTest::keyClick(m.EditDateFrom, Qt::Key_Return);
  ASSERT_EQ(recorder().boxes.size(), 1u);
  EXPECT_EQ(recorder().boxes[0].text, "This is not a valid date: 31.31.31");
  EXPECT_TRUE(m.isVisible());

  typeInto(m.EditDateFrom,
           QString::fromStdString(formatSearchDate({year(1979), month(5), day(1)})));
  QTest::keyClick(m.EditDateFrom, Qt::Key_Return);
  ASSERT_EQ(m.result(), QDialog::Accepted);
  EXPECT_EQ(m.limits().DateFrom, 0u) << "1979 is no limit";
  EXPECT_EQ(m.limits().DateTo, EncodeDosDateTime({2000, 2, 1, 0, 0, 0}));
  EXPECT_EQ(m.limits().SizeFrom, 300u << 10);
  EXPECT_EQ(m.limits().SizeTo, 1100u << 10);
  EXPECT_EQ(m.ComboBoxExclude->itemText(0), "*.bak");

  // Cancel writes back what the dialog showed when it opened.
  m.show();
  click(m.CheckBoxSearchAsOem);
  typeInto(m.ComboBoxDirMask, "src");
  click(static_cast<QRadioButton*>(m.RadioGroupKey2->button(0)));
  QTest::keyClick(&m, Qt::Key_Escape);
  EXPECT_FALSE(m.CheckBoxSearchAsOem->isChecked());
  EXPECT_EQ(m.ComboBoxDirMask->currentText(), "");
  EXPECT_EQ(m.RadioGroupKey2->checkedId(), 4);
}

TEST_F(SearchDialogs, HistoryCombosSearchWhatWasTypedAndOpenTheirListOnTheirKeys) {
  TFormSearchFileDlg& d = *search_;
  TFormMoreOptions& m = *more_;
  const struct {
    const char* name;
    QDialog* dialog;
    QComboBox* combo;
    std::function<std::string()> taken;
  } cases[] = {
      {"mask", &d, d.ComboBoxMask, [&] { return d.DlgData.Mask.str(); }},
      {"exclude", &m, m.ComboBoxExclude, [&] { return m.controls().ExcludeText; }},
      {"folders", &m, m.ComboBoxDirMask, [&] { return m.controls().DirMaskText; }},
  };
  for (const auto& c : cases) {
    const std::string name = c.name;
    setHistory(c.combo, {"*.txt", "docs"}, "");
    c.dialog->show();
    c.combo->setFocus();
    typeInto(c.combo, "*");
    EXPECT_EQ(c.combo->currentText(), "*") << name << ": nothing completed";
    QTest::keyClick(c.combo->lineEdit(), Qt::Key_Return);
    ASSERT_EQ(c.dialog->result(), QDialog::Accepted) << name;
    EXPECT_EQ(c.taken(), "*") << name;
    EXPECT_EQ(historyOf(c.combo), (std::vector<std::string>{"*", "*.txt", "docs"})) << name;
    // The list opens on the arrow's keys and leaves the text alone.
    c.dialog->show();
    for (const QKeyCombination key :
         {QKeyCombination(Qt::AltModifier, Qt::Key_Down), QKeyCombination(Qt::Key_F4)}) {
      QTest::keyClick(c.combo, key.key(), key.keyboardModifiers());
      EXPECT_TRUE(c.combo->view()->isVisible()) << name;
      c.combo->hidePopup();
      EXPECT_EQ(c.combo->currentText(), "*") << name;
    }
    c.dialog->hide();
  }
}

TEST_F(SearchDialogs, F1OpensTheHelpOfEitherDialog) {
  EXPECT_EQ(helpOpenedByF1(
                {{search_.get(), search_->ComboBoxMask}, {more_.get(), more_->ComboBoxExclude}}),
            (std::vector<int>{TFormSearchFileDlg::kHelpContext, TFormMoreOptions::kHelpContext}));
}

TEST_F(SearchDialogs, MoreOptionsFromAndToFieldsStandInLine) {
  TFormMoreOptions& m = *more_;
  m.show();
  const auto left = [&](const QWidget* w) { return w->mapTo(&m, QPoint(0, 0)).x(); };
  for (const QWidget* field :
       {static_cast<QWidget*>(m.EditDateTo), static_cast<QWidget*>(m.SpinEditSizeFrom),
        static_cast<QWidget*>(m.SpinEditSizeTo)}) {
    EXPECT_EQ(left(field), left(m.EditDateFrom));
    EXPECT_EQ(field->width(), m.EditDateFrom->width());
  }
  for (int part = 0; part < 3; ++part)
    EXPECT_EQ(left(m.SpinButtons[1][part]), left(m.SpinButtons[0][part])) << part;
  m.hide();
}

TEST_F(SearchDialogs, MoreOptionsOkTicksUseMoreOptions) {
  QTimer::singleShot(0, more_.get(), [this] { click(more_->ButtonOK); });
  search_->show();
  ASSERT_FALSE(search_->CheckBoxUseMoreOptions->isChecked());
  click(search_->ButtonOptions);
  EXPECT_TRUE(search_->CheckBoxUseMoreOptions->isChecked());
}

TEST_F(SearchDialogs, SettingsIniKeepsBothDialogsAndFifteenHistoryItems) {
  std::vector<std::string> masks;
  for (int i = 1; i <= 20; ++i) masks.push_back("mask" + std::to_string(i));
  TSearchDlgControls search;
  search.MaskText = "now";
  search.SearchIn = 2;
  search.DiskNames = false;
  search.AddWildcards = true;
  search.DirLevelIndex = 4;
  search.MaxRecs = 200;
  search.UseMoreOptions = true;
  search_->setControls(search);
  setHistory(search_->ComboBoxMask, masks, "now");
  TMoreOptionsControls more = more_->controls();
  more.ExcludeText = "*.tmp";
  more.DateFromChecked = true;
  more.DateFromText = "garbage";
  more.SizeFromKB = 10;
  more.SizeToKB = 20;
  more.SizeToChecked = true;
  more.DirMaskText = "src";
  more.Key1 = 0;
  more.Key2 = 3;
  more.Key3 = 4;
  more.SearchAsOem = true;
  more_->setControls(more);
  setHistory(more_->ComboBoxExclude, {"a", "b", "c"}, "*.tmp");

  IniFile ini;
  search_->SaveToIni(ini);
  more_->SaveToIni(ini);
  EXPECT_EQ(ini.value("SearchDlg", "Mask15"), "mask15");
  EXPECT_EQ(ini.value("SearchDlg", "Mask16"), std::nullopt);
  EXPECT_EQ(ini.value("MoreSearchDlg", "Exclude3"), "c");
  EXPECT_EQ(ini.value("MoreSearchDlg", "Exclude4"), "");
  EXPECT_EQ(ini.value("MoreSearchDlg", "Exclude15"), "");
  EXPECT_EQ(ini.value("SearchDlg", "ScanDirLevel"), "4");
  EXPECT_EQ(ini.value("SearchDlg", "SearchDirs"), "1");

  TFormMoreOptions loadedMore;
  TFormSearchFileDlg loaded(loadedMore);
  loaded.LoadFromIni(IniFile::fromText(ini.text()));
  loadedMore.LoadFromIni(IniFile::fromText(ini.text()));
  EXPECT_EQ(loaded.controls(), search);
  EXPECT_EQ(loadedMore.controls(), more) << "the stored box states, not ticks by the values";
  EXPECT_EQ(historyOf(loaded.ComboBoxMask).size(), 15u);
  EXPECT_EQ(historyOf(loadedMore.ComboBoxExclude), (std::vector<std::string>{"a", "b", "c"}));

  // Values out of range read as the defaults.
  TFormMoreOptions badMore;
  TFormSearchFileDlg bad(badMore);
  bad.LoadFromIni(IniFile::fromText("[SearchDlg]\nSearch=9\nMaxRecs=0\nScanDirLevel=11\n"));
  badMore.LoadFromIni(IniFile::fromText("[MoreSearchDlg]\nKey1=7\nSizeTo=-5\n"));
  EXPECT_EQ(bad.controls().SearchIn, 0);
  EXPECT_EQ(bad.controls().MaxRecs, 1000);
  EXPECT_EQ(bad.controls().DirLevelIndex, 0);
  EXPECT_EQ(badMore.controls().Key1, 1);
  EXPECT_EQ(badMore.controls().SizeToKB, 0);
  EXPECT_EQ(badMore.controls().DateFromText, formatSearchDate(todaysDate()));
}

}  // namespace
}  // namespace vellomar::test

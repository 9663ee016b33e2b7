#include "ui/search/FMoreOptions.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "foundation/UIniFile.h"
#include "ui/common/UDialogHelp.h"
#include "ui/common/UServices.h"
#include "ui/search/UHistoryCombo.h"
#include "ui/search/USearchIni.h"

namespace vellomar {

namespace {

constexpr const char* kSection = "MoreSearchDlg";

using Keys = ControlKey<TMoreOptionsControls>;
using C = TMoreOptionsControls;
constexpr Keys kControlKeys[] = {
    {"DateFromChecked", SwitchKey<C>{&C::DateFromChecked, false}},
    {"DateToChecked", SwitchKey<C>{&C::DateToChecked, false}},
    {"SizeFromChecked", SwitchKey<C>{&C::SizeFromChecked, false}},
    {"SizeToChecked", SwitchKey<C>{&C::SizeToChecked, false}},
    {"SizeFrom", NumberKey<C>{&C::SizeFromKB, 0, kMaxSizeLimitKB, 0}},
    {"SizeTo", NumberKey<C>{&C::SizeToKB, 0, kMaxSizeLimitKB, 0}},
    {"Key1", NumberKey<C>{&C::Key1, 0, 4, 1}},
    {"Key2", NumberKey<C>{&C::Key2, 0, 4, 4}},
    {"Key3", NumberKey<C>{&C::Key3, 0, 4, 2}},
    {"SearchAsAnsi", SwitchKey<C>{&C::SearchAsAnsi, true}},
    {"SearchAsOem", SwitchKey<C>{&C::SearchAsOem, false}},
};
constexpr const char* kKeyCaptions[] = {"Name+Extension", "Extension+Name", "Date and time", "Size",
                                        "Disk+Folder"};
constexpr DateStep kUpSteps[] = {DateStep::kDayUp, DateStep::kMonthUp, DateStep::kYearUp};
constexpr DateStep kDownSteps[] = {DateStep::kDayDown, DateStep::kMonthDown, DateStep::kYearDown};
constexpr const char* kSpinLabels[] = {"d", "m", "y"};
constexpr int kFieldWidth = 110;

QToolButton* arrowButton(Qt::ArrowType arrow, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setArrowType(arrow);
  button->setAutoRepeat(true);
  button->setFixedSize(16, 12);
  return button;
}

int checkedIndex(const QButtonGroup* group) {
  const int id = group->checkedId();
  return id < 0 ? 0 : id;
}

void checkIndex(QButtonGroup* group, int index) {
  if (QAbstractButton* b = group->button(index)) b->setChecked(true);
}

}  // namespace

TFormMoreOptions::TFormMoreOptions(QWidget* parent)
    : QDialog(parent), dateFrom_(todaysDate()), dateTo_(todaysDate()) {
  setWindowTitle("More Options For Search");
  setHelpContext(this, kHelpContext);
  auto* layout = new QVBoxLayout(this);

  ComboBoxExclude = addHistoryCombo(this, layout, "Exclude files:", 240);

  auto* dates = new QGroupBox("File date must be:", this);
  auto* datesLayout = new QVBoxLayout(dates);
  datesLayout->addWidget(makeDateRow(0, CheckBoxDateFrom, EditDateFrom));
  datesLayout->addWidget(makeDateRow(1, CheckBoxDateTo, EditDateTo));
  layout->addWidget(dates);

  auto* sizes = new QGroupBox("File size must be:", this);
  auto* sizesLayout = new QVBoxLayout(sizes);
  sizesLayout->addWidget(makeSizeRow(CheckBoxSizeFrom, SpinEditSizeFrom, "From:"));
  sizesLayout->addWidget(makeSizeRow(CheckBoxSizeTo, SpinEditSizeTo, "To:"));
  layout->addWidget(sizes);
  connect(SpinEditSizeFrom, &QSpinBox::valueChanged, this, [this] { sizeChanged(true); });
  connect(SpinEditSizeTo, &QSpinBox::valueChanged, this, [this] { sizeChanged(false); });

  ComboBoxDirMask = addHistoryCombo(this, layout, "Search only in folders:", 0);
  // The four "From:"/"To:" rows line up: boxes of one width, fields of one width.
  int boxWidth = 0;
  for (QCheckBox* box : {CheckBoxDateFrom, CheckBoxDateTo, CheckBoxSizeFrom, CheckBoxSizeTo})
    boxWidth = std::max(boxWidth, box->sizeHint().width());
  for (QCheckBox* box : {CheckBoxDateFrom, CheckBoxDateTo, CheckBoxSizeFrom, CheckBoxSizeTo})
    box->setFixedWidth(boxWidth);

  auto* keys = new QGroupBox("Sort found records by:", this);
  auto* keysLayout = new QGridLayout(keys);
  QButtonGroup** groups[] = {&RadioGroupKey1, &RadioGroupKey2, &RadioGroupKey3};
  for (int g = 0; g < 3; ++g) {
    *groups[g] = new QButtonGroup(this);
    keysLayout->addWidget(new QLabel(QString::number(g + 1), keys), 0, g, Qt::AlignHCenter);
    for (int i = 0; i < 5; ++i) {
      // Only the third column carries the captions; the rows name the keys for all three.
      auto* radio = new QRadioButton(g == 2 ? kKeyCaptions[i] : "", keys);
      (*groups[g])->addButton(radio, i);
      keysLayout->addWidget(radio, i + 1, g);
    }
  }
  checkIndex(RadioGroupKey1, 1);
  checkIndex(RadioGroupKey2, 4);
  checkIndex(RadioGroupKey3, 2);
  layout->addWidget(keys);

  CheckBoxSearchAsAnsi = new QCheckBox("Search as ANSI text", this);
  CheckBoxSearchAsAnsi->setChecked(true);
  CheckBoxSearchAsOem = new QCheckBox("Search as OEM text", this);
  connect(CheckBoxSearchAsAnsi, &QCheckBox::clicked, this, [this] { codePageClicked(); });
  connect(CheckBoxSearchAsOem, &QCheckBox::clicked, this, [this] { codePageClicked(); });
  layout->addWidget(CheckBoxSearchAsAnsi);
  layout->addWidget(CheckBoxSearchAsOem);

  auto* buttons = new QDialogButtonBox(this);
  ButtonOK = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
  ButtonOK->setDefault(true);
  buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
  QPushButton* help = buttons->addButton("Help", QDialogButtonBox::HelpRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &TFormMoreOptions::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TFormMoreOptions::reject);
  connect(help, &QPushButton::clicked, this, [this] { showHelpOf(this); });
  layout->addWidget(buttons);

  EditDateFrom->setText(QString::fromStdString(formatSearchDate(dateFrom_)));
  EditDateTo->setText(QString::fromStdString(formatSearchDate(dateTo_)));
}

QWidget* TFormMoreOptions::makeDateRow(int which, QCheckBox*& box, QLineEdit*& edit) {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  box = new QCheckBox(which == 0 ? "From:" : "To:", row);
  edit = new QLineEdit(row);
  edit->setFixedWidth(kFieldWidth);
  layout->addWidget(box);
  layout->addWidget(edit);
  for (int part = 0; part < 3; ++part) {
    auto* spin = new QWidget(row);
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    QToolButton* up = arrowButton(Qt::UpArrow, spin);
    QToolButton* down = arrowButton(Qt::DownArrow, spin);
    arrows->addWidget(up);
    arrows->addWidget(down);
    auto* spinLayout = new QHBoxLayout(spin);
    spinLayout->setContentsMargins(4, 0, 0, 0);
    spinLayout->setSpacing(2);
    spinLayout->addLayout(arrows);
    spinLayout->addWidget(new QLabel(kSpinLabels[part], spin));
    connect(up, &QToolButton::clicked, this,
            [this, which, part] { stepDate(which, kUpSteps[part]); });
    connect(down, &QToolButton::clicked, this,
            [this, which, part] { stepDate(which, kDownSteps[part]); });
    SpinButtons[which][part] = spin;
    layout->addWidget(spin);
  }
  layout->addStretch(1);
  return row;
}

QWidget* TFormMoreOptions::makeSizeRow(QCheckBox*& box, QSpinBox*& spin, const char* caption) {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  box = new QCheckBox(caption, row);
  spin = new QSpinBox(row);
  // The limit is kept in bytes in 32 bits.
  spin->setRange(0, kMaxSizeLimitKB);
  spin->setSingleStep(100);
  spin->setFixedWidth(kFieldWidth);
  layout->addWidget(box);
  layout->addWidget(spin);
  layout->addWidget(new QLabel("kB", row));
  layout->addStretch(1);
  return row;
}

TMoreOptionsControls TFormMoreOptions::controls() const {
  TMoreOptionsControls c;
  c.ExcludeText = textOf(ComboBoxExclude);
  c.DateFromChecked = CheckBoxDateFrom->isChecked();
  c.DateToChecked = CheckBoxDateTo->isChecked();
  c.DateFromText = toUtf8(EditDateFrom->text());
  c.DateToText = toUtf8(EditDateTo->text());
  c.SizeFromChecked = CheckBoxSizeFrom->isChecked();
  c.SizeToChecked = CheckBoxSizeTo->isChecked();
  c.SizeFromKB = SpinEditSizeFrom->value();
  c.SizeToKB = SpinEditSizeTo->value();
  c.DirMaskText = textOf(ComboBoxDirMask);
  c.Key1 = checkedIndex(RadioGroupKey1);
  c.Key2 = checkedIndex(RadioGroupKey2);
  c.Key3 = checkedIndex(RadioGroupKey3);
  c.SearchAsAnsi = CheckBoxSearchAsAnsi->isChecked();
  c.SearchAsOem = CheckBoxSearchAsOem->isChecked();
  return c;
}

void TFormMoreOptions::setControls(const TMoreOptionsControls& c) {
  // The values first: a size change ticks its box, so the boxes are set after them.
  {
    const QSignalBlocker blockFrom(SpinEditSizeFrom);
    const QSignalBlocker blockTo(SpinEditSizeTo);
    SpinEditSizeFrom->setValue(c.SizeFromKB);
    SpinEditSizeTo->setValue(c.SizeToKB);
  }
  ComboBoxExclude->setEditText(QString::fromStdString(c.ExcludeText));
  EditDateFrom->setText(QString::fromStdString(c.DateFromText));
  EditDateTo->setText(QString::fromStdString(c.DateToText));
  CheckBoxDateFrom->setChecked(c.DateFromChecked);
  CheckBoxDateTo->setChecked(c.DateToChecked);
  CheckBoxSizeFrom->setChecked(c.SizeFromChecked);
  CheckBoxSizeTo->setChecked(c.SizeToChecked);
  ComboBoxDirMask->setEditText(QString::fromStdString(c.DirMaskText));
  checkIndex(RadioGroupKey1, c.Key1);
  checkIndex(RadioGroupKey2, c.Key2);
  checkIndex(RadioGroupKey3, c.Key3);
  CheckBoxSearchAsOem->setChecked(c.SearchAsOem);
  CheckBoxSearchAsAnsi->setChecked(c.SearchAsAnsi);
  takeDate(0);
  takeDate(1);
}

void TFormMoreOptions::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  snapshot_ = controls();
  ComboBoxExclude->setFocus();
}

void TFormMoreOptions::takeDate(int which) {
  if (const std::optional<SearchDate> date = parseSearchDate(toUtf8(editOf(which)->text()))) {
    dateOf(which) = *date;
  }
}

void TFormMoreOptions::stepDate(int which, DateStep step) {
  takeDate(which);
  dateOf(which) = stepSearchDate(dateOf(which), step);
  boxOf(which)->setChecked(true);
  editOf(which)->setText(QString::fromStdString(formatSearchDate(dateOf(which))));
}

void TFormMoreOptions::sizeChanged(bool from) {
  TMoreOptionsControls c = controls();
  if (from) {
    sizeFromChanged(c, SpinEditSizeFrom->value());
  } else {
    sizeToChanged(c, SpinEditSizeTo->value());
  }
  QSpinBox* spin = from ? SpinEditSizeFrom : SpinEditSizeTo;
  const QSignalBlocker block(spin);
  spin->setValue(from ? c.SizeFromKB : c.SizeToKB);
  (from ? CheckBoxSizeFrom : CheckBoxSizeTo)->setChecked(true);
}

void TFormMoreOptions::codePageClicked() {
  TMoreOptionsControls c;
  c.SearchAsAnsi = CheckBoxSearchAsAnsi->isChecked();
  c.SearchAsOem = CheckBoxSearchAsOem->isChecked();
  keepOneCodePage(c);
  CheckBoxSearchAsAnsi->setChecked(c.SearchAsAnsi);
}

void TFormMoreOptions::accept() {
  for (int which = 0; which < 2; ++which) {
    QLineEdit* edit = editOf(which);
    const std::string text = toUtf8(edit->text());
    if (parseSearchDate(text)) {
      takeDate(which);
      continue;
    }
    // A limit the user asked for must be a date; one not asked for gets its last date back.
    if (boxOf(which)->isChecked()) {
      showExclamation("Cannot search", "This is not a valid date: " + text);
      edit->setFocus();
      return;
    }
    edit->setText(QString::fromStdString(formatSearchDate(dateOf(which))));
  }
  limits_ = limitsOf(controls(), dateFrom_, dateTo_);
  keepTextInHistory(ComboBoxExclude);
  keepTextInHistory(ComboBoxDirMask);
  QDialog::accept();
}

void TFormMoreOptions::reject() {
  setControls(snapshot_);
  QDialog::reject();
}

void TFormMoreOptions::SaveToIni(IniFile& ini) const {
  const TMoreOptionsControls c = controls();
  saveHistory(ini, kSection, "Exclude", ComboBoxExclude);
  saveHistory(ini, kSection, "DirMask", ComboBoxDirMask);
  ini.writeString(kSection, "DateFrom", c.DateFromText);
  ini.writeString(kSection, "DateTo", c.DateToText);
  writeControlKeys<TMoreOptionsControls>(ini, kSection, kControlKeys, c);
}

void TFormMoreOptions::LoadFromIni(const IniFile& ini) {
  loadHistory(ini, kSection, "Exclude", ComboBoxExclude);
  loadHistory(ini, kSection, "DirMask", ComboBoxDirMask);
  TMoreOptionsControls c;
  c.ExcludeText = textOf(ComboBoxExclude);
  c.DirMaskText = textOf(ComboBoxDirMask);
  const std::string today = formatSearchDate(todaysDate());
  c.DateFromText = ini.readString(kSection, "DateFrom", today);
  c.DateToText = ini.readString(kSection, "DateTo", today);
  readControlKeys<TMoreOptionsControls>(ini, kSection, kControlKeys, c);
  keepOneCodePage(c);
  setControls(c);
}

}  // namespace vellomar

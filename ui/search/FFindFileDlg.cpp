#include "ui/search/FFindFileDlg.h"

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
#include <QSpinBox>
#include <QVBoxLayout>

#include "foundation/UIniFile.h"
#include "ui/common/UDialogHelp.h"
#include "ui/common/UServices.h"
#include "ui/search/FMoreOptions.h"
#include "ui/search/UHistoryCombo.h"
#include "ui/search/USearchIni.h"

namespace vellomar {

namespace {

constexpr const char* kSection = "SearchDlg";
constexpr const char* kScopes[] = {"whole database", "current disk", "selected disks",
                                   "not selected disks"};
constexpr int kDirLevels = 11;

using Keys = ControlKey<TSearchDlgControls>;
using C = TSearchDlgControls;
constexpr Keys kControlKeys[] = {
    {"Search", NumberKey<C>{&C::SearchIn, 0, 3, 0}},
    {"DiskNames", SwitchKey<C>{&C::DiskNames, true}},
    {"FileNames", SwitchKey<C>{&C::FileNames, true}},
    {"SearchDirs", SwitchKey<C>{&C::FolderNames, true}},
    {"SearchDesc", SwitchKey<C>{&C::Descriptions, true}},
    {"AddWildcards", SwitchKey<C>{&C::AddWildcards, false}},
    {"Phrase", SwitchKey<C>{&C::Phrase, false}},
    {"CaseSensitive", SwitchKey<C>{&C::CaseSensitive, false}},
    {"StrictMask", SwitchKey<C>{&C::StrictMask, false}},
    {"ScanDirLevel", NumberKey<C>{&C::DirLevelIndex, 0, kDirLevels - 1, 0}},
    {"MaxRecs", NumberKey<C>{&C::MaxRecs, 1, kMaxRecsLimit, 1000}},
    {"UseMoreOptions", SwitchKey<C>{&C::UseMoreOptions, false}},
};

}  // namespace

TFormSearchFileDlg::TFormSearchFileDlg(TFormMoreOptions& more, QWidget* parent)
    : QDialog(parent), more_(more) {
  setWindowTitle("Search");
  setHelpContext(this, kHelpContext);
  auto* layout = new QVBoxLayout(this);

  ComboBoxMask = addHistoryCombo(this, layout, "Search for:", 280);
  connect(ComboBoxMask, &QComboBox::editTextChanged, this, [this] { updateEnabling(); });

  auto* middle = new QHBoxLayout;
  auto* scope = new QGroupBox("Go through", this);
  auto* scopeLayout = new QVBoxLayout(scope);
  RadioGroupSearch = new QButtonGroup(this);
  for (int i = 0; i < 4; ++i) {
    auto* radio = new QRadioButton(kScopes[i], scope);
    RadioGroupSearch->addButton(radio, i);
    scopeLayout->addWidget(radio);
  }
  RadioGroupSearch->button(0)->setChecked(true);
  middle->addWidget(scope);

  auto* findIn = new QGroupBox("Find text in:", this);
  auto* findInLayout = new QVBoxLayout(findIn);
  CheckBoxDiskNames = new QCheckBox("Disk names", findIn);
  CheckBoxFileNames = new QCheckBox("File names", findIn);
  CheckBoxFolderNames = new QCheckBox("Folder names", findIn);
  CheckBoxDescriptions = new QCheckBox("Descriptions", findIn);
  for (QCheckBox* box :
       {CheckBoxDiskNames, CheckBoxFileNames, CheckBoxFolderNames, CheckBoxDescriptions}) {
    box->setChecked(true);
    findInLayout->addWidget(box);
  }
  middle->addWidget(findIn);
  layout->addLayout(middle);

  CheckBoxAddWildcards = new QCheckBox("Search also as parts of words", this);
  CheckBoxPhrase = new QCheckBox("Search as phrase", this);
  CheckBoxCaseSensitive = new QCheckBox("Case sensitive", this);
  CheckBoxStrictMask = new QCheckBox("Strict mask", this);
  for (QCheckBox* box :
       {CheckBoxAddWildcards, CheckBoxPhrase, CheckBoxCaseSensitive, CheckBoxStrictMask}) {
    layout->addWidget(box);
  }

  auto* depthRow = new QHBoxLayout;
  ComboBoxScanDirLevel = new QComboBox(this);
  ComboBoxScanDirLevel->addItem("(unlimited)");
  ComboBoxScanDirLevel->addItem("the root folder");
  for (int level = 1; level <= 9; ++level) {
    ComboBoxScanDirLevel->addItem(QString("subfolders down to %1. level").arg(level));
  }
  ComboBoxScanDirLevel->setCurrentIndex(0);
  auto* depthLabel = new QLabel("Search in:", this);
  depthLabel->setBuddy(ComboBoxScanDirLevel);
  depthRow->addWidget(depthLabel);
  depthRow->addWidget(ComboBoxScanDirLevel, 1);
  layout->addLayout(depthRow);

  auto* stop = new QGroupBox("Stop search after", this);
  auto* stopLayout = new QHBoxLayout(stop);
  SpinEditMaxRecs = new QSpinBox(stop);
  SpinEditMaxRecs->setRange(1, kMaxRecsLimit);
  SpinEditMaxRecs->setSingleStep(100);
  SpinEditMaxRecs->setValue(1000);
  stopLayout->addWidget(SpinEditMaxRecs);
  stopLayout->addWidget(new QLabel("records found", stop));
  stopLayout->addStretch(1);
  layout->addWidget(stop);

  CheckBoxUseMoreOptions = new QCheckBox("Use more options", this);
  layout->addWidget(CheckBoxUseMoreOptions);

  auto* buttons = new QDialogButtonBox(this);
  ButtonOptions = buttons->addButton("More options...", QDialogButtonBox::ActionRole);
  QPushButton* help = buttons->addButton("Help", QDialogButtonBox::HelpRole);
  ButtonOK = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
  ButtonOK->setDefault(true);
  buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &TFormSearchFileDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TFormSearchFileDlg::reject);
  connect(ButtonOptions, &QPushButton::clicked, this, [this] { showMoreOptions(); });
  connect(help, &QPushButton::clicked, this, [this] { showHelpOf(this); });
  layout->addWidget(buttons);

  updateEnabling();
  ControlsToDlgData(DlgData);
}

TSearchDlgControls TFormSearchFileDlg::controls() const {
  TSearchDlgControls c;
  c.MaskText = textOf(ComboBoxMask);
  c.AddWildcards = CheckBoxAddWildcards->isChecked();
  c.Phrase = CheckBoxPhrase->isChecked();
  c.CaseSensitive = CheckBoxCaseSensitive->isChecked();
  c.StrictMask = CheckBoxStrictMask->isChecked();
  c.SearchIn = std::max(RadioGroupSearch->checkedId(), 0);
  c.DiskNames = CheckBoxDiskNames->isChecked();
  c.FileNames = CheckBoxFileNames->isChecked();
  c.FolderNames = CheckBoxFolderNames->isChecked();
  c.Descriptions = CheckBoxDescriptions->isChecked();
  c.DirLevelIndex = ComboBoxScanDirLevel->currentIndex();
  c.MaxRecs = SpinEditMaxRecs->value();
  c.UseMoreOptions = CheckBoxUseMoreOptions->isChecked();
  return c;
}

void TFormSearchFileDlg::setControls(const TSearchDlgControls& c) {
  ComboBoxMask->setEditText(QString::fromStdString(c.MaskText));
  CheckBoxAddWildcards->setChecked(c.AddWildcards);
  CheckBoxPhrase->setChecked(c.Phrase);
  CheckBoxCaseSensitive->setChecked(c.CaseSensitive);
  CheckBoxStrictMask->setChecked(c.StrictMask);
  if (QAbstractButton* radio = RadioGroupSearch->button(c.SearchIn)) radio->setChecked(true);
  CheckBoxDiskNames->setChecked(c.DiskNames);
  CheckBoxFileNames->setChecked(c.FileNames);
  CheckBoxFolderNames->setChecked(c.FolderNames);
  CheckBoxDescriptions->setChecked(c.Descriptions);
  ComboBoxScanDirLevel->setCurrentIndex(c.DirLevelIndex < kDirLevels ? c.DirLevelIndex : 0);
  SpinEditMaxRecs->setValue(c.MaxRecs);
  CheckBoxUseMoreOptions->setChecked(c.UseMoreOptions);
  updateEnabling();
}

void TFormSearchFileDlg::ControlsToDlgData(TSearchDlgData& data) const {
  data = vellomar::ControlsToDlgData(controls(), more_.controls(), more_.limits());
}

void TFormSearchFileDlg::DlgDataToControls(const TSearchDlgData& data) {
  TSearchDlgControls c = controls();
  vellomar::DlgDataToControls(data, c);
  setControls(c);
}

void TFormSearchFileDlg::updateEnabling() {
  const std::string mask = textOf(ComboBoxMask);
  CheckBoxAddWildcards->setEnabled(partsOfWordsEnabled(mask));
  CheckBoxPhrase->setEnabled(phraseEnabled(mask));
}

void TFormSearchFileDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  ControlsToDlgData(DlgData);
  ComboBoxMask->setFocus();
  ComboBoxMask->lineEdit()->selectAll();
  updateEnabling();
}

void TFormSearchFileDlg::showMoreOptions() {
  if (more_.exec() == QDialog::Accepted) CheckBoxUseMoreOptions->setChecked(true);
}

void TFormSearchFileDlg::accept() {
  ControlsToDlgData(DlgData);
  if (DlgData.Mask.empty()) {
    showErrorMessage("Cannot search", "You did not enter the text to be searched.");
    ComboBoxMask->setFocus();
    return;
  }
  keepTextInHistory(ComboBoxMask);
  QDialog::accept();
}

void TFormSearchFileDlg::reject() {
  DlgDataToControls(DlgData);
  QDialog::reject();
}

void TFormSearchFileDlg::SaveToIni(IniFile& ini) const {
  saveHistory(ini, kSection, "Mask", ComboBoxMask);
  writeControlKeys<TSearchDlgControls>(ini, kSection, kControlKeys, controls());
}

void TFormSearchFileDlg::LoadFromIni(const IniFile& ini) {
  loadHistory(ini, kSection, "Mask", ComboBoxMask);
  TSearchDlgControls c;
  c.MaskText = textOf(ComboBoxMask);
  readControlKeys<TSearchDlgControls>(ini, kSection, kControlKeys, c);
  setControls(c);
}

}  // namespace vellomar

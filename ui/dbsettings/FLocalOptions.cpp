#include "ui/dbsettings/FLocalOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "foundation/UBaseUtils.h"
#include "platform/PText.h"
#include "ui/common/UDialogHelp.h"
#include "ui/common/UServices.h"

namespace vellomar {

namespace {

constexpr int kMaskColumn = 0;
constexpr int kBytesColumn = 1;
constexpr int kFilterColumn = 2;
constexpr int kMaxPatternLength = 99;

QString qs(const std::string& s) {
  return QString::fromStdString(s);
}

std::string text(const QString& s) {
  return s.toStdString();
}

QCheckBox* checkBox(const char* caption, QWidget* parent) {
  return new QCheckBox(QString::fromUtf8(caption), parent);
}

}  // namespace

TFormLocalOptions::TFormLocalOptions(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Database Settings"));
  setHelpContext(this, kHelpContext);
  Pages = new QTabWidget(this);
  Pages->addTab(makeDescriptionsPage(), QStringLiteral("Descriptions"));
  Pages->addTab(makeArchivesPage(), QStringLiteral("Archives"));
  Pages->addTab(makeOptionsPage(), QStringLiteral("Options"));
  Pages->setCurrentIndex(0);

  ButtonOK = new QPushButton(QStringLiteral("OK"), this);
  ButtonOK->setDefault(true);
  ButtonCancel = new QPushButton(QStringLiteral("Cancel"), this);
  ButtonHelp = new QPushButton(QStringLiteral("Help"), this);
  connect(ButtonOK, &QPushButton::clicked, this, &TFormLocalOptions::ButtonOKClick);
  connect(ButtonCancel, &QPushButton::clicked, this, &TFormLocalOptions::ButtonCancelClick);
  connect(ButtonHelp, &QPushButton::clicked, this, [this] { showHelpOf(this); });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ButtonOK);
  buttons->addWidget(ButtonCancel);
  buttons->addWidget(ButtonHelp);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Pages);
  layout->addLayout(buttons);
  resize(474, 333);
}

QWidget* TFormLocalOptions::makeDescriptionsPage() {
  auto* page = new QWidget;
  CheckBoxScanDesc = checkBox("Read descriptions", page);

  StringGridMasks = new QTableWidget(DescFileTable::kRows, 3, page);
  StringGridMasks->setHorizontalHeaderLabels(
      {QStringLiteral("Mask"), QStringLiteral("Bytes"), QStringLiteral("Filter")});
  StringGridMasks->setSelectionBehavior(QAbstractItemView::SelectRows);
  StringGridMasks->setSelectionMode(QAbstractItemView::SingleSelection);
  StringGridMasks->setEditTriggers(QAbstractItemView::NoEditTriggers);
  QHeaderView* rows = StringGridMasks->verticalHeader();
  rows->setSectionsMovable(true);
  rows->setDefaultSectionSize(QFontMetrics(StringGridMasks->font()).height() + 4);
  rows->setFixedWidth(37);
  StringGridMasks->setColumnWidth(kMaskColumn, 108);
  StringGridMasks->setColumnWidth(kBytesColumn, 46);
  StringGridMasks->setColumnWidth(kFilterColumn, 70);
  StringGridMasks->horizontalHeader()->setStretchLastSection(true);
  StringGridMasks->setMinimumWidth(37 + 108 + 46 + 70 + 24);
  connect(rows, &QHeaderView::sectionMoved, this,
          [this](int, int from, int to) { rowDragged(from, to); });
  StringGridMasks->installEventFilter(this);
  for (int r = 0; r < DescFileTable::kRows; ++r) {
    StringGridMasks->setVerticalHeaderItem(r, new QTableWidgetItem(" " + QString::number(r + 1)));
    for (int c = 0; c < 3; ++c) StringGridMasks->setItem(r, c, new QTableWidgetItem);
  }
  StringGridMasks->setCurrentCell(0, 0);

  EditNewFileName = new QLineEdit(QStringLiteral("*.txt"), page);
  SpinEditMaxDescrSize = new QSpinBox(page);
  SpinEditMaxDescrSize->setRange(100, 32000);
  SpinEditMaxDescrSize->setSingleStep(100);
  SpinEditMaxDescrSize->setValue(500);
  ComboBoxConv = new QComboBox(page);
  ComboBoxConv->addItem(QStringLiteral("(no filter)"));
  ButtonAdd = new QPushButton(QStringLiteral("Add >>"), page);
  ButtonDiscard = new QPushButton(QStringLiteral("Remove <<"), page);
  connect(ButtonAdd, &QPushButton::clicked, this, &TFormLocalOptions::ButtonAddClick);
  connect(ButtonDiscard, &QPushButton::clicked, this, &TFormLocalOptions::ButtonDiscardClick);
  connect(CheckBoxScanDesc, &QCheckBox::toggled, this,
          &TFormLocalOptions::enableDescriptionControls);

  auto* editors = new QVBoxLayout;
  editors->addWidget(new QLabel(QStringLiteral("Scan file for description if the name is:")));
  editors->addWidget(EditNewFileName);
  editors->addWidget(new QLabel(QStringLiteral("Read max. characters:")));
  editors->addWidget(SpinEditMaxDescrSize);
  editors->addWidget(new QLabel(QStringLiteral("Filter:")));
  editors->addWidget(ComboBoxConv);
  editors->addWidget(ButtonAdd);
  editors->addWidget(ButtonDiscard);
  editors->addStretch();
  auto* table = new QHBoxLayout;
  table->addLayout(editors);
  table->addWidget(StringGridMasks, 1);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(CheckBoxScanDesc);
  layout->addLayout(table);
  return page;
}

QWidget* TFormLocalOptions::makeArchivesPage() {
  auto* page = new QWidget;
  auto* group = new QGroupBox(QStringLiteral("Scan archives"), page);
  auto* groupLayout = new QVBoxLayout(group);
  for (const char* item : {"yes, without prompt", "yes, with prompt", "no"}) {
    auto* radio = new QRadioButton(QString::fromUtf8(item), group);
    groupLayout->addWidget(radio);
    RadioGroupScanArchives.push_back(radio);
  }
  RadioGroupScanArchives.front()->setChecked(true);
  CheckBoxScanZipExeArchives = checkBox("Scan self-extracting archives of ZIP type", page);
  CheckBoxScanOtherExeArchives =
      checkBox("Scan self-extracting archives of ZIP, ARJ and RAR types", page);
  CheckBoxAlwaysRescanArchives = checkBox("Always rescan archives", page);
  CheckBoxExtractFromZips = checkBox("Extract descriptions from ZIP archives", page);
  CheckBoxExtractFromRars = checkBox("Extract descriptions from RAR archives", page);
  CheckBoxExtractFromAces = checkBox("Extract descriptions from ACE archives", page);
  SpinEditSizeLimit = new QSpinBox(page);
  SpinEditSizeLimit->setRange(1, 1000);
  SpinEditSizeLimit->setSingleStep(10);
  SpinEditSizeLimit->setValue(20);

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(group);
  for (QCheckBox* box :
       {CheckBoxScanZipExeArchives, CheckBoxScanOtherExeArchives, CheckBoxAlwaysRescanArchives,
        CheckBoxExtractFromZips, CheckBoxExtractFromRars, CheckBoxExtractFromAces}) {
    layout->addWidget(box);
  }
  auto* limit = new QHBoxLayout;
  limit->addWidget(new QLabel(QStringLiteral("Do not extract from files bigger than"), page));
  limit->addWidget(SpinEditSizeLimit);
  limit->addWidget(new QLabel(QStringLiteral("megabytes"), page));
  limit->addStretch();
  layout->addLayout(limit);
  layout->addStretch();
  // Connected once the controls they enable exist.
  for (QRadioButton* radio : RadioGroupScanArchives) {
    connect(radio, &QRadioButton::toggled, this, &TFormLocalOptions::enableArchiveControls);
  }
  return page;
}

QWidget* TFormLocalOptions::makeOptionsPage() {
  auto* page = new QWidget;
  CheckBoxOverwriteWarning = checkBox("Warning before overwriting a disk in database", page);
  CheckBoxShowDeleted = checkBox("Display deleted disks", page);
  CheckBoxSimulateDiskInfo = checkBox("Simulate disk descriptions", page);
  CheckBoxDisableVolNameChange = checkBox("Do not offer volume name change", page);
  EditDiskNamePattern = new QLineEdit(page);
  EditDiskNamePattern->setMaxLength(kMaxPatternLength);
  ButtonResetCounter = new QPushButton(QStringLiteral("Reset counter"), page);
  connect(ButtonResetCounter, &QPushButton::clicked, this, [this] { nameCounter_ = 0; });
  CheckBoxAlwaysCreateDesc = checkBox("Always recreate descriptions from files", page);
  CheckBoxGenerateFolderDesc = checkBox("", page);
  CheckBoxGenerateFolderDesc->hide();
  CheckBoxImportFilesBbs = checkBox("", page);
  CheckBoxImportFilesBbs->hide();

  auto* layout = new QVBoxLayout(page);
  for (QCheckBox* box : {CheckBoxOverwriteWarning, CheckBoxShowDeleted, CheckBoxSimulateDiskInfo,
                         CheckBoxDisableVolNameChange}) {
    layout->addWidget(box);
  }
  layout->addWidget(new QLabel(QStringLiteral("Template for disk name generation:"), page));
  auto* pattern = new QHBoxLayout;
  pattern->addWidget(EditDiskNamePattern, 1);
  pattern->addWidget(ButtonResetCounter);
  layout->addLayout(pattern);
  layout->addWidget(CheckBoxAlwaysCreateDesc);
  layout->addStretch();
  return page;
}

void TFormLocalOptions::SetOptions(const TLocalOptions& o) {
  CheckBoxScanDesc->setChecked(o.ScanDesc);
  if (o.ScanArchives < RadioGroupScanArchives.size()) {
    RadioGroupScanArchives[o.ScanArchives]->setChecked(true);
  }
  CheckBoxScanZipExeArchives->setChecked(o.ScanZipExeArchives);
  CheckBoxScanOtherExeArchives->setChecked(o.ScanOtherExeArchives);
  CheckBoxAlwaysRescanArchives->setChecked(o.AlwaysRescanArchives);
  CheckBoxExtractFromZips->setChecked(o.ExtractFromZips);
  CheckBoxExtractFromRars->setChecked(o.ExtractFromRars);
  CheckBoxExtractFromAces->setChecked(o.ExtractFromAces);
  if (o.SizeLimitMB > 0) SpinEditSizeLimit->setValue(o.SizeLimitMB);
  CheckBoxOverwriteWarning->setChecked(o.OverwriteWarning);
  CheckBoxShowDeleted->setChecked(o.ShowDeleted);
  CheckBoxSimulateDiskInfo->setChecked(o.SimulateDiskInfo);
  CheckBoxDisableVolNameChange->setChecked(o.DisableVolNameChange);
  EditDiskNamePattern->setText(qs(o.DiskNamePattern.str()));
  nameCounter_ = o.DiskNameCounter;
  CheckBoxAlwaysCreateDesc->setChecked(o.AlwaysCreateDesc);
  CheckBoxGenerateFolderDesc->setChecked(o.GenerateFolderDesc);
  CheckBoxImportFilesBbs->setChecked(o.ImportFilesBbs);
  // The record's table holds at most its 2048 bytes and a zero.
  table_.Parse(std::string_view(o.DescFileTable).substr(0, DescFileTable::kMaxText));
  showTable();
  enableDescriptionControls();
  enableArchiveControls();
}

void TFormLocalOptions::GetOptions(TLocalOptions& o) {
  o.ScanDesc = CheckBoxScanDesc->isChecked();
  o.ScanArchives = static_cast<uint8_t>(archiveMode());
  o.AlwaysTwo = 2;
  o.ScanZipExeArchives = CheckBoxScanZipExeArchives->isChecked();
  o.ScanOtherExeArchives = CheckBoxScanOtherExeArchives->isChecked();
  o.AlwaysRescanArchives = CheckBoxAlwaysRescanArchives->isChecked();
  o.ExtractFromZips = CheckBoxExtractFromZips->isChecked();
  o.ExtractFromRars = CheckBoxExtractFromRars->isChecked();
  o.ExtractFromAces = CheckBoxExtractFromAces->isChecked();
  o.SizeLimitMB = SpinEditSizeLimit->value();
  o.OverwriteWarning = CheckBoxOverwriteWarning->isChecked();
  o.ShowDeleted = CheckBoxShowDeleted->isChecked();
  o.SimulateDiskInfo = CheckBoxSimulateDiskInfo->isChecked();
  o.DisableVolNameChange = CheckBoxDisableVolNameChange->isChecked();
  const ShortString pattern = TrimSpaces(ShortString(text(EditDiskNamePattern->text())));
  o.DiskNamePattern = ShortString(utf8Prefix(pattern.view(), kDiskNamePatternCapacity));
  o.DiskNameCounter = nameCounter_;
  o.AlwaysCreateDesc = CheckBoxAlwaysCreateDesc->isChecked();
  o.GenerateFolderDesc = CheckBoxGenerateFolderDesc->isChecked();
  o.ImportFilesBbs = CheckBoxImportFilesBbs->isChecked();
  readTable();
  o.DescFileTable = table_.Build().Text;
}

void TFormLocalOptions::SetFilterNames(const std::vector<std::string>& names) {
  const QString first = ComboBoxConv->itemText(0);
  ComboBoxConv->clear();
  ComboBoxConv->addItem(first);
  for (const std::string& name : names) ComboBoxConv->addItem(qs(name));
}

void TFormLocalOptions::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  saved_ = TLocalOptions{};
  GetOptions(saved_);
  enableArchiveControls();
  ButtonOK->setFocus();
}

bool TFormLocalOptions::eventFilter(QObject* watched, QEvent* event) {
  if (watched == StringGridMasks && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    readTable();
    table_.Delete(currentRow());
    showTable();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

int TFormLocalOptions::currentRow() const {
  return std::max(StringGridMasks->currentRow(), 0);
}

void TFormLocalOptions::showTable() {
  for (int r = 0; r < DescFileTable::kRows; ++r) {
    const DescFileRow& row = table_.Row(r);
    StringGridMasks->item(r, kMaskColumn)->setText(qs(row.Mask));
    StringGridMasks->item(r, kBytesColumn)->setText(qs(row.Bytes));
    StringGridMasks->item(r, kFilterColumn)->setText(qs(row.Filter));
  }
}

void TFormLocalOptions::readTable() {
  for (int r = 0; r < DescFileTable::kRows; ++r) {
    table_.SetRow(r, {text(StringGridMasks->item(r, kMaskColumn)->text()),
                      text(StringGridMasks->item(r, kBytesColumn)->text()),
                      text(StringGridMasks->item(r, kFilterColumn)->text())});
  }
}

void TFormLocalOptions::enableDescriptionControls() {
  const bool on = CheckBoxScanDesc->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{StringGridMasks, EditNewFileName,
                                                    SpinEditMaxDescrSize, ComboBoxConv}) {
    w->setEnabled(on);
  }
}

int TFormLocalOptions::archiveMode() const {
  for (size_t i = 0; i < RadioGroupScanArchives.size(); ++i) {
    if (RadioGroupScanArchives[i]->isChecked()) return static_cast<int>(i);
  }
  return 0;
}

void TFormLocalOptions::enableArchiveControls() {
  const bool on = archiveMode() != kScanArchivesNo;
  for (QWidget* w : std::initializer_list<QWidget*>{
           CheckBoxScanZipExeArchives, CheckBoxScanOtherExeArchives, CheckBoxAlwaysRescanArchives,
           CheckBoxExtractFromZips, CheckBoxExtractFromRars, CheckBoxExtractFromAces,
           SpinEditSizeLimit}) {
    w->setEnabled(on);
  }
}

void TFormLocalOptions::ButtonAddClick() {
  if (!EditNewFileName->text().isEmpty()) {
    readTable();
    const QString filter = ComboBoxConv->currentText();
    DescFileRow entry{RemoveDoubleSpaces(ShortString(text(EditNewFileName->text()))).str(),
                      std::to_string(SpinEditMaxDescrSize->value()),
                      filter.startsWith('(') ? std::string() : text(filter)};
    // A full table takes nothing and the edit keeps its text.
    if (!table_.Add(currentRow(), std::move(entry))) return;
    showTable();
  }
  EditNewFileName->setFocus();
  EditNewFileName->clear();
}

void TFormLocalOptions::ButtonDiscardClick() {
  readTable();
  const int row = currentRow();
  const DescFileRow& entry = table_.Row(row);
  EditNewFileName->setText(qs(entry.Mask));
  bool numeric = false;
  const int bytes = qs(entry.Bytes).toInt(&numeric);
  if (numeric) SpinEditMaxDescrSize->setValue(bytes);
  if (!entry.Filter.empty()) {
    ComboBoxConv->setCurrentIndex(0);
    // The module of that whole name: several names may begin alike.
    for (int i = 1; i < ComboBoxConv->count(); ++i) {
      if (sameText(text(ComboBoxConv->itemText(i)), entry.Filter)) {
        ComboBoxConv->setCurrentIndex(i);
        break;
      }
    }
  }
  table_.Delete(row);
  showTable();
  EditNewFileName->setFocus();
}

void TFormLocalOptions::ButtonOKClick() {
  readTable();
  const DescFileTable::Built built = table_.Build();
  if (!built.Dropped.empty()) {
    std::string names;
    for (const std::string& mask : built.Dropped) names += "\r\n" + mask;
    showExclamation("Database Settings",
                    "The table of description files is full. These rows are not stored:" + names);
  }
  done(QDialog::Accepted);
}

void TFormLocalOptions::ButtonCancelClick() {
  SetOptions(saved_);
  done(QDialog::Rejected);
}

void TFormLocalOptions::rowDragged(int from, int to) {
  // The header only moved its section: put it back and move the row's contents instead, so
  // that the rows stay numbered 1 to 30.
  QHeaderView* rows = StringGridMasks->verticalHeader();
  const QSignalBlocker blocker(rows);
  rows->moveSection(to, from);
  readTable();
  table_.Move(from, to);
  showTable();
  StringGridMasks->setCurrentCell(to, kMaskColumn);
}

std::vector<std::string> FilterModuleNames() {
  std::vector<std::string> names;
  const QDir folder(QCoreApplication::applicationDirPath());
  for (const QString& file : folder.entryList({QStringLiteral("*.k32")}, QDir::Files, QDir::Name)) {
    names.push_back(text(file.left(file.size() - 4)));
  }
  return names;
}

}  // namespace vellomar

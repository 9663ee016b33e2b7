#include "ui/settings/FSettings.h"

#include <sys/stat.h>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "engine/api/UApiGlobals.h"
#include "engine/api/UApiTypes.h"
#include "foundation/UBaseUtils.h"
#include "ui/common/UDialogHelp.h"
#include "ui/common/UServices.h"
#include "ui/settings/USettingsGlobals.h"

namespace vellomar {

namespace {

bool fileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

QString qs(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// A radio group in a box, its buttons numbered from 0.
QButtonGroup* radioGroup(QWidget* parent, const char* name, const char* caption,
                         std::initializer_list<const char*> items, QWidget*& box) {
  auto* group = new QGroupBox(QString::fromUtf8(caption), parent);
  group->setObjectName(QString::fromUtf8(name));
  auto* layout = new QVBoxLayout(group);
  auto* buttons = new QButtonGroup(group);
  int id = 0;
  for (const char* item : items) {
    auto* radio = new QRadioButton(QString::fromUtf8(item), group);
    layout->addWidget(radio);
    buttons->addButton(radio, id++);
  }
  box = group;
  return buttons;
}

QSpinBox* spin(QWidget* parent, const char* name, int max) {
  auto* s = new QSpinBox(parent);
  s->setObjectName(QString::fromUtf8(name));
  s->setRange(0, max);
  return s;
}

}  // namespace

TFormSettings::TFormSettings(std::string iniPath, QWidget* parent)
    : QDialog(parent), iniPath_(std::move(iniPath)) {
  setWindowTitle(QStringLiteral("Program Settings"));
  setObjectName(QStringLiteral("FormSettings"));
  setHelpContext(this, kHelpContext);
  notebook_ = new QTabWidget(this);
  notebook_->setObjectName(QStringLiteral("TabbedNotebook"));
  const std::pair<const char*, void (TFormSettings::*)(QWidget*)> pages[] = {
      {"&Display", &TFormSettings::buildDisplayPage},
      {"&Fonts", &TFormSettings::buildFontsPage},
      {"&Print", &TFormSettings::buildPrintPage},
      {"&CD/DVD", &TFormSettings::buildCdPage},
      {"&Other", &TFormSettings::buildOtherPage}};
  for (const auto& [caption, build] : pages) {
    auto* page = new QWidget(notebook_);
    (this->*build)(page);
    notebook_->addTab(page, QString::fromUtf8(caption));
  }
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("ButtonOK"));
  ok->setDefault(true);
  auto* save = new QPushButton(QStringLiteral("Save"), this);
  save->setObjectName(QStringLiteral("ButtonSave"));
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QStringLiteral("ButtonCancel"));
  auto* help = new QPushButton(QStringLiteral("Help"), this);
  help->setObjectName(QStringLiteral("ButtonHelp"));
  connect(ok, &QPushButton::clicked, this, [this] {
    storeControls();
    copySwitches();
    ApplyDisplayGlobals();
    accept();
  });
  connect(save, &QPushButton::clicked, this, [this] {
    storeControls();
    SaveSettings();
    copySwitches();
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this, [this] { showHelpOf(this); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton* b : {ok, save, cancel, help}) buttons->addWidget(b);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(notebook_);
  layout->addLayout(buttons);

  FormSettings = this;
  LoadSettings();
  loadControls();
  notebook_->setCurrentIndex(0);
}

TFormSettings::~TFormSettings() {
  if (settings_.Autosave) SaveSettings();
  if (FormSettings == this) FormSettings = nullptr;
}

QCheckBox* TFormSettings::checkBox(QWidget* parent, const char* name, const char* caption) {
  auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
  box->setObjectName(QString::fromUtf8(name));
  return box;
}

void TFormSettings::buildDisplayPage(QWidget* page) {
  QWidget* sortBox = nullptr;
  sortCrit_ = radioGroup(page, "RadioGroupSortCrit", "Sort files by",
                         {"name", "extension", "date and time", "size"}, sortBox);
  auto* files = new QGroupBox(QStringLiteral("Display files"), page);
  files->setObjectName(QStringLiteral("GroupBoxFileDisplay"));
  brief_ = new QRadioButton(QStringLiteral("Names only in columns"), files);
  brief_->setObjectName(QStringLiteral("RadioButtonBrief"));
  detailed_ = new QRadioButton(QStringLiteral("With details:"), files);
  detailed_->setObjectName(QStringLiteral("RadioButtonDetailed"));
  showSize_ = checkBox(files, "CheckBoxShowSize", "Size");
  showTime_ = checkBox(files, "CheckBoxShowTime", "Date and time");
  showDescr_ = checkBox(files, "CheckBoxShowDescr", "Description");
  auto* filesLayout = new QGridLayout(files);
  filesLayout->addWidget(brief_, 0, 0, 1, 2);
  filesLayout->addWidget(detailed_, 1, 0, 1, 2);
  filesLayout->addWidget(showSize_, 2, 1);
  filesLayout->addWidget(showTime_, 3, 1);
  filesLayout->addWidget(showDescr_, 4, 1);
  filesLayout->setColumnMinimumWidth(0, 16);
  sizeDisplay_ = radioGroup(page, "RadioGroupSizeDisplay", "File size",
                            {"display in bytes", "display in kB, MB"}, sizeDisplayBox_);
  showIcons_ = checkBox(page, "CheckBoxShowIcons", "Show icons by folders");
  auto* tree = new QGroupBox(QStringLiteral("Tree"), page);
  tree->setObjectName(QStringLiteral("GroupBoxTree"));
  showTree_ = checkBox(tree, "CheckBoxShowTree", "Show tree");
  expandTree_ = checkBox(tree, "CheckBoxExpandTree", "Show always expanded");
  auto* treeLayout = new QVBoxLayout(tree);
  treeLayout->addWidget(showTree_);
  treeLayout->addWidget(expandTree_);
  showSeconds_ = checkBox(page, "CheckBoxShowSeconds", "Time with seconds");
  winDateFormat_ = checkBox(page, "CheckBoxWinDateFormat", "Use Windows date format");
  oneKbIs1024_ = checkBox(page, "CheckBoxOneKbIs1024", "Calculate: 1 kB = 1024 byte");
  showFileHints_ = checkBox(page, "CheckBoxShowFileHints", "Show hints by files");

  auto* left = new QVBoxLayout;
  left->addWidget(sortBox);
  left->addWidget(sizeDisplayBox_);
  left->addWidget(showIcons_);
  left->addStretch();
  auto* right = new QVBoxLayout;
  right->addWidget(files);
  right->addWidget(tree);
  for (QCheckBox* b : {showSeconds_, winDateFormat_, oneKbIs1024_, showFileHints_})
    right->addWidget(b);
  right->addStretch();
  auto* layout = new QHBoxLayout(page);
  layout->addLayout(left);
  layout->addLayout(right);

  connect(brief_, &QRadioButton::toggled, this, &TFormSettings::updateEnabling);
  connect(showTree_, &QCheckBox::toggled, this, &TFormSettings::updateEnabling);
}

void TFormSettings::buildFontsPage(QWidget* page) {
  const std::pair<const char*, const char*> rows[] = {
      {"LabelDiskFont", "Disk panel:"},
      {"LabelTreeFont", "Tree panel:"},
      {"LabelFileFont", "File panel:"},
      {"LabelFoundFont", "Window with found items:"},
      {"LabelDescFont", "Description editor:"}};
  auto* layout = new QGridLayout(page);
  for (int slot = 0; slot < kDescFont + 1; ++slot) {
    layout->addWidget(new QLabel(QString::fromUtf8(rows[slot].second), page), slot * 2, 0, 1, 2);
    fontLabels_[slot] = new QLabel(page);
    fontLabels_[slot]->setObjectName(QString::fromUtf8(rows[slot].first));
    fontLabels_[slot]->setFrameShape(QFrame::StyledPanel);
    auto* change = new QPushButton(QStringLiteral("Change..."), page);
    change->setObjectName(QStringLiteral("ButtonChangeFont%1").arg(slot));
    connect(change, &QPushButton::clicked, this, [this, slot] { changeFont(slot); });
    layout->addWidget(fontLabels_[slot], slot * 2 + 1, 0);
    layout->addWidget(change, slot * 2 + 1, 1);
  }
  layout->setColumnStretch(0, 1);
  layout->setRowStretch(kFontCount * 2, 1);
}

void TFormSettings::buildPrintPage(QWidget* page) {
  printHeader_ = new QLineEdit(page);
  printHeader_->setObjectName(QStringLiteral("EditPrintHeader"));
  auto* margins = new QGroupBox(QStringLiteral("Page margins [mm]"), page);
  margins->setObjectName(QStringLiteral("GroupBoxMargins"));
  topMargin_ = spin(margins, "SpinEditTop", 100);
  bottomMargin_ = spin(margins, "SpinEditBottom", 100);
  leftMargin_ = spin(margins, "SpinEditLeft", 50);
  rightMargin_ = spin(margins, "SpinEditRight", 50);
  auto* marginLayout = new QFormLayout(margins);
  marginLayout->addRow(QStringLiteral("Top:"), topMargin_);
  marginLayout->addRow(QStringLiteral("Bottom:"), bottomMargin_);
  marginLayout->addRow(QStringLiteral("Left:"), leftMargin_);
  marginLayout->addRow(QStringLiteral("Right:"), rightMargin_);
  auto* font = new QGroupBox(QStringLiteral("Print font"), page);
  font->setObjectName(QStringLiteral("GroupBoxPrintFont"));
  fontLabels_[kPrintFont] = new QLabel(font);
  fontLabels_[kPrintFont]->setObjectName(QStringLiteral("LabelPrintFont"));
  auto* change = new QPushButton(QStringLiteral("Change..."), font);
  change->setObjectName(QStringLiteral("ButtonChangePrintFont"));
  connect(change, &QPushButton::clicked, this, [this] { changeFont(kPrintFont); });
  auto* fontLayout = new QHBoxLayout(font);
  fontLayout->addWidget(fontLabels_[kPrintFont], 1);
  fontLayout->addWidget(change);
  adjustNameWidth_ = checkBox(page, "CheckBoxAdjustNameWidth", "Adjust name column width");
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(new QLabel(QStringLiteral("Header text for print:"), page));
  layout->addWidget(printHeader_);
  layout->addWidget(margins);
  layout->addWidget(font);
  layout->addWidget(adjustNameWidth_);
  layout->addStretch();
}

void TFormSettings::buildCdPage(QWidget* page) {
  ejectAfterScan_ = checkBox(page, "CheckBoxEjectAfterCdScan",
                             "Eject the disk from the drive after its contents is scanned");
  scanAfterInsert_ =
      checkBox(page, "CheckBoxScanAfterCdInsert",
               "Automatically start scanning the disk after it is inserted to the drive");
  noQueries_ = checkBox(page, "CheckBoxNoQueries",
                        "No queries (no query for the disk name and no overwrite warning)");
  disableAutorun_ = checkBox(page, "CheckBoxDisableCdAutoRun",
                             "Disable autorun of programs after a disk is inserted to the drive");
  auto* layout = new QVBoxLayout(page);
  // These switches act the moment they are clicked; Cancel does not take them back.
  const std::pair<QCheckBox*, bool*> switches[] = {{ejectAfterScan_, &EjectAfterScan},
                                                   {scanAfterInsert_, &ScanAfterInsert},
                                                   {noQueries_, &NoQueries},
                                                   {disableAutorun_, &DisableAutorun}};
  for (const auto& [box, global] : switches) {
    layout->addWidget(box);
    connect(box, &QCheckBox::clicked, this, [global](bool on) { *global = on; });
  }
  layout->addStretch();
}

void TFormSettings::buildOtherPage(QWidget* page) {
  autoLoad_ = new QLineEdit(page);
  autoLoad_->setObjectName(QStringLiteral("EditAutoLoadDBase"));
  browse_ = new QPushButton(QStringLiteral("Browse..."), page);
  browse_->setObjectName(QStringLiteral("ButtonBrowse"));
  connect(browse_, &QPushButton::clicked, this, [this] {
    FileDialogRequest request;
    request.title = "Open Database At Startup";
    request.filter = "Vellomar Database (*.kvd *.KVD)";
    request.mustExist = true;
    const std::string name = services().files->openFile(request);
    if (!name.empty()) autoLoad_->setText(qs(name));
  });
  openLastOpened_ =
      checkBox(page, "CheckBoxOpenLastOpened", "Open last opened database at startup");
  connect(openLastOpened_, &QCheckBox::toggled, this, &TFormSettings::updateEnabling);
  foundToNewWin_ = checkBox(page, "CheckBoxFoundToNewWin", "Each search to a new window");
  autoSave_ = checkBox(page, "CheckBoxAutoSave", "Save settings automatically at program end");
  backupDBase_ =
      checkBox(page, "CheckBoxBackupDBase", "Make backup copy when compressing database");
  notScanDriveNames_ = checkBox(page, "CheckBoxNotScanDriveNames",
                                "Do not read volume names for \"Scan Disk\" dialog box");
  enableShellExecute_ =
      checkBox(page, "CheckBoxEnableShellExecute", "Enable opening existing files");
  persistentBlocks_ = checkBox(page, "CheckBoxPersistentBlocks", "Persistent selections ");
  persistentBlocks_->setVisible(false);
  auto* row = new QHBoxLayout;
  row->addWidget(autoLoad_, 1);
  row->addWidget(browse_);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(new QLabel(QStringLiteral("Open database at startup:"), page));
  layout->addLayout(row);
  for (QCheckBox* b : {openLastOpened_, foundToNewWin_, autoSave_, backupDBase_, notScanDriveNames_,
                       enableShellExecute_, persistentBlocks_})
    layout->addWidget(b);
  layout->addStretch();
}

void TFormSettings::loadControls() {
  const ProgramSettings& s = settings_;
  sortCrit_->button(s.SortCrit)->setChecked(true);
  (s.DetailedDisplay ? detailed_ : brief_)->setChecked(true);
  showSize_->setChecked(s.ShowSize);
  showTime_->setChecked(s.ShowTime);
  showDescr_->setChecked(s.ShowDescr);
  sizeDisplay_->button(s.SizeInKB ? 1 : 0)->setChecked(true);
  showIcons_->setChecked(s.ShowIcons);
  showTree_->setChecked(s.ShowTree && s.HeaderWidths[1] > 0);
  expandTree_->setChecked(s.ExpandTree);
  showSeconds_->setChecked(s.ShowSeconds);
  winDateFormat_->setChecked(s.WinDateFormat);
  oneKbIs1024_->setChecked(s.OneKbIs1024);
  showFileHints_->setChecked(s.ShowFileHints);
  fonts_ = s.Fonts;
  fontSizes_ = s.FontSizes;
  printHeader_->setText(qs(s.PrintHeader));
  topMargin_->setValue(s.TopMargin);
  bottomMargin_->setValue(s.BottomMargin);
  leftMargin_->setValue(s.LeftMargin);
  rightMargin_->setValue(s.RightMargin);
  adjustNameWidth_->setChecked(s.AdjustNameWidth);
  ejectAfterScan_->setChecked(EjectAfterScan);
  scanAfterInsert_->setChecked(ScanAfterInsert);
  noQueries_->setChecked(NoQueries);
  disableAutorun_->setChecked(DisableAutorun);
  autoLoad_->setText(qs(s.AutoLoad));
  openLastOpened_->setChecked(s.AutoLoadLast);
  foundToNewWin_->setChecked(s.FoundToNewWin);
  autoSave_->setChecked(s.Autosave);
  backupDBase_->setChecked(s.BackupDBase);
  notScanDriveNames_->setChecked(s.NotScanDriveNames);
  enableShellExecute_->setChecked(s.EnableShellExecute);
  persistentBlocks_->setChecked(s.PersistentBlocks);
  refreshFontLabels();
  updateEnabling();
}

void TFormSettings::storeControls() {
  ProgramSettings& s = settings_;
  s.SortCrit = static_cast<uint8_t>(std::max(sortCrit_->checkedId(), 0));
  s.DetailedDisplay = !brief_->isChecked();
  s.ShowSize = showSize_->isChecked();
  s.ShowTime = showTime_->isChecked();
  s.ShowDescr = showDescr_->isChecked();
  s.SizeInKB = sizeDisplay_->checkedId() == 1;
  s.ShowIcons = showIcons_->isChecked();
  s.ShowTree = showTree_->isChecked();
  s.ExpandTree = expandTree_->isChecked();
  s.ShowSeconds = showSeconds_->isChecked();
  s.WinDateFormat = winDateFormat_->isChecked();
  s.OneKbIs1024 = oneKbIs1024_->isChecked();
  s.ShowFileHints = showFileHints_->isChecked();
  s.Fonts = fonts_;
  s.FontSizes = fontSizes_;
  s.PrintHeader = printHeader_->text().toStdString();
  s.TopMargin = topMargin_->value();
  s.BottomMargin = bottomMargin_->value();
  s.LeftMargin = leftMargin_->value();
  s.RightMargin = rightMargin_->value();
  s.AdjustNameWidth = adjustNameWidth_->isChecked();
  s.AutoLoad = autoLoad_->text().toStdString();
  s.AutoLoadLast = openLastOpened_->isChecked();
  s.FoundToNewWin = foundToNewWin_->isChecked();
  s.Autosave = autoSave_->isChecked();
  s.BackupDBase = backupDBase_->isChecked();
  s.NotScanDriveNames = notScanDriveNames_->isChecked();
  s.EnableShellExecute = enableShellExecute_->isChecked();
  s.PersistentBlocks = persistentBlocks_->isChecked();
}

void TFormSettings::copySwitches() {
  PersistentSelections = persistentBlocks_->isChecked();
  ReadDriveNames = !notScanDriveNames_->isChecked();
}

void TFormSettings::refreshFontLabels() {
  for (int slot = 0; slot < kFontCount; ++slot)
    fontLabels_[slot]->setText(qs(FontLabelText(fonts_[slot], fontSizes_[slot])));
}

void TFormSettings::updateEnabling() {
  const bool details = !brief_->isChecked();
  for (QWidget* w : {static_cast<QWidget*>(showSize_), static_cast<QWidget*>(showTime_),
                     static_cast<QWidget*>(showDescr_), sizeDisplayBox_})
    w->setEnabled(details);
  expandTree_->setEnabled(showTree_->isChecked());
  autoLoad_->setEnabled(!openLastOpened_->isChecked());
  browse_->setEnabled(!openLastOpened_->isChecked());
}

void TFormSettings::changeFont(int slot) {
  if (ChooseFontDialog(this, fonts_[slot], 6, 24, fontSizes_[slot], slot == kPrintFont))
    refreshFontLabels();
}

void TFormSettings::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  loadControls();
  findChild<QPushButton*>(QStringLiteral("ButtonOK"))->setFocus();
}

void TFormSettings::SetOptions(const TGlobalOptions& options) {
  settings_.setOptions(options);
  HeaderWidth0 = options.MDIChildHeader0;
  HeaderWidth1 = options.MDIChildHeader1;
  HeaderWidth2 = options.MDIChildHeader2;
  loadControls();
}

void TFormSettings::GetOptions(TGlobalOptions& options) {
  settings_.getOptions(options);
  DateOrder = settings_.WinDateFormat ? 3 : LocaleDateOrder;
  KiloUnit = settings_.OneKbIs1024 ? 1024 : 1000;
  HeaderWidth0 = settings_.HeaderWidths[0];
  HeaderWidth1 = settings_.HeaderWidths[1];
  HeaderWidth2 = settings_.HeaderWidths[2];
}

void TFormSettings::ApplyDisplayGlobals() {
  FormatOptions.SortCrit = settings_.SortCrit;
  FormatOptions.SizeInKB = settings_.SizeInKB;
  FormatOptions.ShowSeconds = settings_.ShowSeconds;
  FormatOptions.Reverse = false;
}

void TFormSettings::LoadSettings() {
  if (fileExists(iniPath_)) {
    settings_ = ProgramSettings::read(IniFile::load(iniPath_));
    DisableAutorun = settings_.DisableAutorun;
    EjectAfterScan = settings_.EjectAfterScan;
    ScanAfterInsert = settings_.ScanAfterInsert;
    NoQueries = settings_.NoQueries;
  } else {
    settings_ = ProgramSettings::defaults();
  }
  PersistentSelections = settings_.PersistentBlocks;
  ReadDriveNames = !settings_.NotScanDriveNames;
  HeaderWidth0 = settings_.HeaderWidths[0];
  HeaderWidth1 = settings_.HeaderWidths[1];
  HeaderWidth2 = settings_.HeaderWidths[2];
}

void TFormSettings::SaveSettings() {
  if (!mayWriteFile(iniPath_)) return;
  settings_.DisableAutorun = DisableAutorun;
  settings_.EjectAfterScan = EjectAfterScan;
  settings_.ScanAfterInsert = ScanAfterInsert;
  settings_.NoQueries = NoQueries;
  IniFile ini = IniFile::load(iniPath_);
  settings_.write(ini);
  ini.save(iniPath_);
}

}  // namespace vellomar

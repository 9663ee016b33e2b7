#include "ui/app/FMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>
#include <vector>

#include "foundation/UBaseUtils.h"
#include "platform/PAsciiText.h"
#include "platform/PDrives.h"
#include "ui/app/UCommandLine.h"
#include "ui/app/UGlyphs.h"
#include "ui/app/USideFiles.h"
#include "ui/common/UCatalogueGateway.h"
#include "ui/common/UCloseRequest.h"
#include "ui/common/UEngineGuard.h"
#include "ui/common/UKeyDispatcher.h"
#include "ui/common/UServices.h"
#include "ui/common/UWindowPlacement.h"
#include "ui/dbase/FDBase.h"
#include "ui/dialogs/FDescription.h"
#include "ui/dialogs/UDialogs.h"
#include "ui/search/FFindFileDlg.h"
#include "ui/search/FMoreOptions.h"
#include "ui/search/FSearchCommands.h"
#include "ui/settings/FSettings.h"
#include "ui/settings/USettingsGlobals.h"

namespace vellomar {

namespace {

constexpr const char* kDatabaseFilter = "Vellomar Database (*.kvd *.KVD)";
constexpr const char* kRepairFilter = "Vellomar database (*.kvd *.KVD);;All files (*)";
constexpr int kPanelHeight = 36;
constexpr int kButtonSize = 27;
constexpr int kScreenBottomMargin = 80;

QString qs(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The canonical form of a path, or the path itself when it does not resolve.
std::string canonicalPath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path resolved = std::filesystem::canonical(path, error);
  return error ? path : resolved.string();
}

std::string folderOf(const std::string& fileName) {
  return std::filesystem::path(fileName).parent_path().string();
}

}  // namespace

TMainForm::TMainForm(QStringList arguments, QWidget* parent)
    : QMainWindow(parent), arguments_(std::move(arguments)) {
  routeEngineBoxes();
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Vellomar 5"));
  QApplication::setWindowIcon(programIcon());
  mdiArea_ = new QMdiArea(this);
  mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdiArea_);
  buildMenus();
  buildToolbar();
  keepFrameMarginsKnown();
  LoadWindowPlacement();
  FormDescription().LoadWindowPos();
  SetupScanning();
  idleLoop_ = std::make_unique<IdleLoop>([this] { AppIdle(); }, [this] { MainTimerTimer(); });
  idleLoop_->start();
}

TMainForm::~TMainForm() {
  // The help window and the children go before the services and the engine they use.
  mdiArea_->closeAllSubWindows();
}

std::string TMainForm::iniPath() const {
  return configFilePath(kProgramIniName);
}

// ---- Menus and toolbar ----

void TMainForm::buildMenus() {
  menuKeys_ = new KeyMap(this);
  std::map<int, bool> keyTaken;
  for (const MenuDefinition& def : mainMenus()) {
    QMenu* top = menuBar()->addMenu(QString::fromUtf8(def.caption));
    top->setObjectName(QString::fromUtf8(def.name));
    connect(top, &QMenu::aboutToShow, this, &TMainForm::MenuBarClick);
    QMenu* sub = nullptr;
    for (const MenuItem& item : def.items) {
      if (item.caption == nullptr) {
        top->addSeparator();
        continue;
      }
      QMenu* target = top;
      if (item.submenuName != nullptr) {
        if (sub == nullptr || sub->objectName() != QString::fromUtf8(item.submenuName)) {
          sub = top->addMenu(QString::fromUtf8(item.submenuCaption));
          sub->setObjectName(QString::fromUtf8(item.submenuName));
        }
        target = sub;
      }
      QString text = QString::fromUtf8(item.caption);
      if (item.key.key() != Qt::Key_unknown) text += '\t' + keyText(item.key);
      QAction* action = target->addAction(text);
      action->setObjectName(QString::fromUtf8(item.name));
      const Command command = item.command;
      connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
      actions_[command] = action;
      // The first item of a key in menu order takes it (Shift+F3 finds free space, it does
      // not sort by name).
      const int keyCode = item.key.toCombined();
      if (item.key.key() != Qt::Key_unknown && !keyTaken[keyCode]) {
        keyTaken[keyCode] = true;
        menuKeys_->add(
            item.key, [this, command] { runCommand(command); },
            [this, command] { return menuItemEnabled(command, currentTerms()); });
      }
    }
    if (QString::fromUtf8(def.name) == "MenuFile") {
      recentSeparator_ = top->addSeparator();
      for (int i = 0; i < RecentFiles::kCount; ++i) {
        QAction* action = top->addAction(QString());
        action->setObjectName(QStringLiteral("MenuLastFile%1").arg(i + 1));
        connect(action, &QAction::triggered, this, [this, i] { MenuLastFileClick(i); });
        recentActions_.push_back(action);
      }
    }
  }
  for (Command c : {Command::Brief, Command::Detailed, Command::SortName, Command::SortExt,
                    Command::SortTime, Command::SortSize, Command::ShowTree})
    actions_[c]->setCheckable(true);
  showToolsMenu(false);
  QMenu* windows = menu("MenuWindow");
  connect(windows, &QMenu::aboutToShow, this, [this, windows] {
    // The open child windows follow the menu's own items.
    for (QAction* a : windows->actions())
      if (a->property("childWindow").toBool()) windows->removeAction(a), a->deleteLater();
    const QList<QMdiSubWindow*> children = mdiArea_->subWindowList();
    if (!children.isEmpty()) windows->addSeparator()->setProperty("childWindow", true);
    for (int i = 0; i < children.size(); ++i) {
      QPointer<QMdiSubWindow> child = children[i];
      QAction* a = windows->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(
          child->windowTitle().replace('&', QStringLiteral("&&"))));
      a->setProperty("childWindow", true);
      a->setCheckable(true);
      a->setChecked(child == mdiArea_->activeSubWindow());
      connect(a, &QAction::triggered, this, [this, child] {
        if (child) mdiArea_->setActiveSubWindow(child);
      });
    }
  });
  keyDispatcher_ = new KeyDispatcher(this, menuKeys_, [this] { MenuBarClick(); });
  UpdateRecentFilesMenu();
}

void TMainForm::buildToolbar() {
  mainPanel_ = addToolBar(QStringLiteral("Toolbar"));
  mainPanel_->setObjectName(QStringLiteral("MainPanel"));
  mainPanel_->setMovable(false);
  mainPanel_->setFixedHeight(kPanelHeight);
  mainPanel_->setIconSize(QSize(kButtonSize - 7, kButtonSize - 7));
  for (const ToolButton& b : toolbarButtons()) {
    auto* button = new QToolButton(mainPanel_);
    button->setObjectName(QString::fromUtf8(b.name));
    button->setToolTip(QString::fromUtf8(b.hint));
    button->setIcon(toolbarIcon(b.themeIcon, b.glyph));
    button->setFixedSize(kButtonSize, kButtonSize);
    button->setAutoRaise(true);
    button->setCheckable(b.checkable);
    button->setFocusPolicy(Qt::NoFocus);
    button->setEnabled(b.command == Command::OpenDBase);
    const Command command = b.command;
    connect(button, &QToolButton::clicked, this, [this, command] { runCommand(command); });
    mainPanel_->addWidget(button);
    buttons_[command] = button;
  }
}

void TMainForm::showToolsMenu(bool shown) {
  // A hidden menu of the bar still answers its Alt key, and "T&ools" would then take every
  // second Alt+O from "&Options": hidden, it is off the bar.
  QAction* tools = menu("MenuTools")->menuAction();
  tools->setVisible(shown);
  menuBar()->removeAction(tools);
  if (shown) menuBar()->insertAction(menu("MenuWindow")->menuAction(), tools);
}

QAction* TMainForm::menuAction(Command command) const {
  const auto found = actions_.find(command);
  return found != actions_.end() ? found->second : nullptr;
}

QMenu* TMainForm::menu(const char* name) const {
  return menuBar()->findChild<QMenu*>(QString::fromUtf8(name));
}

QToolButton* TMainForm::toolButton(Command command) const {
  const auto found = buttons_.find(command);
  return found != buttons_.end() ? found->second : nullptr;
}

MenuTerms TMainForm::currentTerms() const {
  MenuTerms t;
  const TMdiChild* child = activeChild();
  if (child != nullptr) {
    t.FF = child->kind() == TMdiChild::Kind::kFoundFiles;
    t.FE = child->kind() == TMdiChild::Kind::kFoundEmpty;
  }
  TFormDBase* db = activeDBase();
  t.A = db != nullptr;
  if (t.A) {
    t.W = !db->readOnly();
    t.D = !db->IsDBaseEmpty();
    const int panel = db->ActivePanel();
    t.S = panel == TFormDBase::kPanelDisks || panel == TFormDBase::kPanelFiles;
    t.R = FindFoundWindow(3) != nullptr;
    t.showTree = db->options().ShowTree;
    t.diskDeleted = t.D && t.W && db->IsDiskDeleted();
  }
  const DriveTable& drives = processDriveTable();
  t.DA = drives.kindOf('A') == DriveKind::kRemovable;
  t.DB = drives.kindOf('B') == DriveKind::kRemovable;
  return t;
}

void TMainForm::MenuBarClick() {
  const MenuTerms terms = currentTerms();
  for (const auto& [command, action] : actions_)
    action->setEnabled(menuItemEnabled(command, terms));
  const TFormDBase* db = activeDBase();
  if (db == nullptr) return;
  const TGlobalOptions& o = db->options();
  actions_[Command::Brief]->setChecked(o.DisplayMode == 0);
  actions_[Command::Detailed]->setChecked(o.DisplayMode == 1);
  const Command sorts[] = {Command::SortName, Command::SortExt, Command::SortTime,
                           Command::SortSize};
  for (int i = 0; i < 4; ++i) actions_[sorts[i]]->setChecked(o.SortCrit == i);
  actions_[Command::ShowTree]->setChecked(o.ShowTree);
}

void TMainForm::setButtonEnabled(QToolButton* button, bool enabled) {
  if (button->isEnabled() != enabled) button->setEnabled(enabled);
}

void TMainForm::UpdateToolbar() {
  const MenuTerms terms = currentTerms();
  for (const auto& [command, button] : buttons_) {
    if (command == Command::ShowTree || command == Command::Brief || command == Command::Detailed)
      continue;
    setButtonEnabled(button, toolbarButtonEnabled(command, terms));
  }
  QToolButton* tree = buttons_[Command::ShowTree];
  QToolButton* brief = buttons_[Command::Brief];
  QToolButton* detailed = buttons_[Command::Detailed];
  const TFormDBase* db = activeDBase();
  if (db == nullptr) {
    // A disabled button is not drawn pressed; the next database window presses it again.
    for (QToolButton* b : {tree, brief, detailed}) {
      setButtonEnabled(b, false);
      if (b->isChecked()) b->setChecked(false);
    }
    return;
  }
  for (QToolButton* b : {tree, brief, detailed}) setButtonEnabled(b, true);
  const TGlobalOptions& o = db->options();
  if (tree->isChecked() != o.ShowTree) tree->setChecked(o.ShowTree);
  if (brief->isChecked() != (o.DisplayMode == 0)) brief->setChecked(o.DisplayMode == 0);
  if (detailed->isChecked() != (o.DisplayMode == 1)) detailed->setChecked(o.DisplayMode == 1);
}

void TMainForm::runCommand(Command command) {
  const MenuTerms terms = currentTerms();
  const bool fromToolbar = command == Command::PrintPanel || command == Command::CollapseTree ||
                           command == Command::ExpandTree || command == Command::Parent;
  if (!(fromToolbar ? toolbarButtonEnabled(command, terms)
                    : menuItemEnabled(command, terms) || toolbarButtonEnabled(command, terms)))
    return;
  const CommandScope scope{activeDBase(), activeChild()};
  const CloseRequest::Work work;
  runGuarded([&] { actionOf(command)(*this, scope); });
  MenuBarClick();
}

// ---- Windows ----

TMdiChild* TMainForm::activeChild() const {
  return qobject_cast<TMdiChild*>(mdiArea_->activeSubWindow());
}

TFormDBase* TMainForm::activeDBase() const {
  TMdiChild* child = activeChild();
  return child != nullptr && child->kind() == TMdiChild::Kind::kDatabase
             ? static_cast<TFormDBase*>(child)
             : nullptr;
}

TFormDBase* TMainForm::OpenDBaseWindow(const std::string& fileName) {
  const TMdiChild* active = activeChild();
  const bool maximized = active != nullptr ? active->isMaximized() : ChildMaximized;
  QPointer<TFormDBase> form = new TFormDBase();
  connect(form, &TFormDBase::databaseClosing, this,
          [this](const QString& path) { AddToRecentFiles(path.toStdString()); });
  mdiArea_->addSubWindow(form);
  if (!form->OpenDBase(fileName)) {
    if (form) form->close();
    CmdFindText.clear();
    CmdScanDrives.clear();
    return nullptr;
  }
  if (maximized)
    form->showMaximized();
  else
    form->show();
  if (form && !CmdFindText.empty()) {
    CloseRequest::processEvents();
    if (form) form->FindFileName(CmdFindText);
    CmdFindText.clear();
  }
  if (form && !CmdScanDrives.empty()) {
    while (!CmdScanDrives.empty()) {
      CloseRequest::processEvents();
      if (!form) break;
      form->ScanDisk(CmdScanDrives.front(), CmdAutoMode);
      CmdScanDrives.erase(0, 1);
      if (!CmdAutoMode) CmdScanDrives.clear();
    }
    CmdScanDrives.clear();
    if (CmdAutoMode) QTimer::singleShot(0, this, &QWidget::close);
  }
  return form;
}

TFormDBase* TMainForm::IsDBaseOpen(const std::string& fileName, bool bringToFront) {
  const std::string wanted = canonicalPath(fileName);
  for (QMdiSubWindow* sub : mdiArea_->subWindowList()) {
    auto* child = qobject_cast<TMdiChild*>(sub);
    if (child == nullptr || child->kind() != TMdiChild::Kind::kDatabase) continue;
    auto* db = static_cast<TFormDBase*>(child);
    if (db->closing() || canonicalPath(db->filePath()) != wanted) continue;
    if (bringToFront) mdiArea_->setActiveSubWindow(db);
    return db;
  }
  return nullptr;
}

TMdiChild* TMainForm::FindFoundWindow(int kinds) const {
  const TFormDBase* db = activeDBase();
  return db != nullptr ? findFoundWindow(mdiArea_, db->Tag, kinds) : nullptr;
}

void TMainForm::ShowDBaseClick() {
  const TMdiChild* list = activeChild();
  for (QMdiSubWindow* sub : mdiArea_->subWindowList()) {
    auto* child = qobject_cast<TMdiChild*>(sub);
    if (child != nullptr && child->kind() == TMdiChild::Kind::kDatabase &&
        child->Tag == list->Tag) {
      mdiArea_->setActiveSubWindow(child);
      return;
    }
  }
}

void TMainForm::ShowFoundClick() {
  if (TMdiChild* found = FindFoundWindow(3)) mdiArea_->setActiveSubWindow(found);
}

// ---- Start-up and idle loop ----

void TMainForm::openAtStartup(const std::string& name, const char* caption) {
  if (const PathKind kind = HostPathKind(name); kind != PathKind::kFile) {
    showExclamation(caption,
                    kind == PathKind::kMissing
                        ? "File does not exist: " + name
                        : name + " is " + std::string(PathKindName(kind)) + ", not a file.");
    return;
  }
  OpenDBaseWindow(name);
  recent_.LastOpened = name;
  RemoveFromRecentFiles(name);
}

void TMainForm::ProcessStartup() {
  StartupPending = false;
  LoadSettingsIni();
  if (arguments_.isEmpty()) {
    const ProgramSettings& s = FormSettings->settings();
    const std::string name = s.AutoLoadLast ? recent_.LastOpened : s.AutoLoad;
    if (!name.empty()) openAtStartup(name, "Error in program settings");
    return;
  }
  std::vector<std::string> parameters;
  for (const QString& argument : arguments_) parameters.push_back(argument.toStdString());
  const TCommandLineParse parse = ParseCommandLine(parameters, expandToFullPath);
  for (const TCommandLineMessage& message : parse.Messages) {
    showExclamation(message.Caption, message.Text);
  }
  CmdDatabase = parse.Line.CmdDatabase.str();
  CmdFindText = parse.Line.CmdFindText.str();
  CmdScanDrives = parse.Line.CmdScanDrives.str();
  CmdAutoMode = parse.Line.CmdAutoMode;
  // After an error nothing is opened, not even the start-up database.
  if (parse.Ok && !CmdDatabase.empty()) openAtStartup(CmdDatabase, kCommandLineErrorCaption);
}

void TMainForm::AppIdle() {
  const CloseRequest::Work work;
  if (StartupPending) ProcessStartup();
  // The active form is a child only while no dialog is in front of the frame.
  if (QApplication::activeModalWidget() == nullptr)
    if (TMdiChild* child = activeChild()) child->IdleUpdate();
  UpdateToolbar();
  TMdiChild* active = activeChild();
  if (!lastActiveSeen_ || active != LastActiveChild) {
    lastActiveSeen_ = true;
    LastActiveChild = active;
    MenuBarClick();
  }
}

void TMainForm::MainTimerTimer() {
  if (QApplication::activeModalWidget() == nullptr)
    if (TMdiChild* child = activeChild()) child->TimerUpdate();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (CloseRequest::defer(this)) {
    event->ignore();
    return;
  }
  // Taken while the children still show their databases.
  const bool lastOpenedStillOpen =
      !recent_.LastOpened.empty() && IsDBaseOpen(recent_.LastOpened, false) != nullptr;
  if (const TMdiChild* child = activeChild()) activeChildMaximized_ = child->isMaximized();
  mdiArea_->closeAllSubWindows();
  for (const QMdiSubWindow* sub : mdiArea_->subWindowList()) {
    if (sub->isVisible()) {  // a child that refused to close keeps the program running
      event->ignore();
      return;
    }
  }
  if (!lastOpenedStillOpen) recent_.LastOpened.clear();
  SaveWindowPlacement();
  services().help->quit();
  SaveSettingsIni();
  DeleteTempFolder();
  event->accept();
}

// ---- File menu ----

std::string TMainForm::dialogFolder() {
  if (recent_.LastDir.empty()) recent_.LastDir = folderOf(recent_.LastOpened);
  if (recent_.LastDir.empty() && FormSettings != nullptr)
    recent_.LastDir = folderOf(FormSettings->settings().AutoLoad);
  return recent_.LastDir;
}

void TMainForm::takeFolderOf(const std::string& fileName) {
  recent_.LastDir = folderOf(fileName);
}

void TMainForm::MenuNewClick() {
  FileDialogRequest request{"New Database", dialogFolder(), "NoName.kvd", kDatabaseFilter,
                            "kvd",          false,          true};
  const std::string name = services().files->saveFile(request);
  if (!name.empty()) {
    takeFolderOf(name);
    if (IsDBaseOpen(name, false) != nullptr) {
      showErrorMessage("Cannot create",
                       "Database with this name is open - file cannot be overwritten.");
      return;
    }
    if (CatalogueGateway::createFile(name)) {
      OpenDBaseWindow(name);
      recent_.LastOpened = name;
    } else {
      showErrorMessage("Error", "Database cannot be created");
    }
  }
  MenuBarClick();
}

void TMainForm::MenuOpenDBaseClick() {
  FileDialogRequest request{"Open Database", dialogFolder(), "", kDatabaseFilter, "", true, false};
  const std::string name = services().files->openFile(request);
  if (name.empty()) return;
  takeFolderOf(name);
  if (IsDBaseOpen(name, true) != nullptr) return;
  RemoveFromRecentFiles(name);
  OpenDBaseWindow(name);
  recent_.LastOpened = name;
}

void TMainForm::MenuReindexClick() {
  FileDialogRequest request{
      "Compress Database", dialogFolder(), "", kDatabaseFilter, "", true, false};
  const std::string name = services().files->openFile(request);
  if (name.empty()) return;
  takeFolderOf(name);
  if (IsDBaseOpen(name, true) != nullptr) {
    showErrorMessage("Cannot compress",
                     "Database with this name is open - it must be closed for compression.");
    return;
  }
  if (CatalogueGateway::testFile(name) == 4) {
    showErrorMessage("Cannot compress",
                     "This database cannot be compressed, because it is a read-only database.");
    return;
  }
  RunReindex(0, nullptr, name);
}

void TMainForm::MenuRepairClick() {
  FileDialogRequest request{"Repair database", dialogFolder(), "", kRepairFilter, "", true, false};
  const std::string name = services().files->openFile(request);
  if (name.empty()) return;
  takeFolderOf(name);
  if (IsDBaseOpen(name, true) != nullptr) {
    showErrorMessage("Cannot continue",
                     "Database with this name is open. Only closed databases can be repaired.");
    return;
  }
  const int32_t code = CatalogueGateway::testFile(name);
  switch (code) {
    case 2:
      showErrorMessage("Cannot continue",
                       "The database was created by a newer version of the program. You cannot "
                       "repair it by this version of the program.");
      return;
    case 4:
      showErrorMessage("Cannot continue",
                       "This database cannot be repaired, as it is read-only database.");
      return;
    case 1:
    case 3:
    case 5:
      showErrorMessage("Cannot continue",
                       "This file is either not a Vellomar database, or it has unrepairable "
                       "header.");
      return;
    default:
      break;
  }
  FileDialogRequest save{
      "Save repaired database as:", recent_.LastDir, "", kRepairFilter, "kvd", false, true};
  const std::string target = services().files->saveFile(save);
  if (!target.empty()) RunRepair(name, target);
}

void TMainForm::MenuExportClick(int mode) {
  TFormDBase* db = activeDBase();
  CatalogueGateway* source = &db->catalogue();
  FileDialogRequest request{"Export Selected Disks To Database",
                            dialogFolder(),
                            "Export.kvd",
                            kDatabaseFilter,
                            "kvd",
                            false,
                            true};
  const std::string name = services().files->saveFile(request);
  if (name.empty()) return;
  takeFolderOf(name);
  if (IsDBaseOpen(name, false) != nullptr) {
    showErrorMessage("Cannot export", "Database with this name is open - cannot be overwritten.");
    return;
  }
  RunReindex(mode, source, name);
}

void TMainForm::MenuImportClick() {
  CatalogueGateway* target = &activeDBase()->catalogue();
  FileDialogRequest request{
      "Import Disks From Database", dialogFolder(), "", kDatabaseFilter, "", true, false};
  const std::string name = services().files->openFile(request);
  if (name.empty()) return;
  takeFolderOf(name);
  if (IsDBaseOpen(name, false) != nullptr) {
    showErrorMessage("Cannot import",
                     "Database with this name is open. Only closed databases can be imported.");
    return;
  }
  const int32_t code = CatalogueGateway::testFile(name);
  if (code == 4) {
    showErrorMessage("Cannot import",
                     "The database cannot be imported, because it is a read-only (protected) "
                     "database.");
    return;
  }
  if (code != 0 && code != 6) {
    showErrorMessage("Cannot import",
                     "This database cannot be imported. It is either corrupted or requires newer "
                     "version of this program.");
    return;
  }
  RunReindex(3, target, name);
}

void TMainForm::ScanDiskClick() {
  QPointer<TFormDBase> db = activeDBase();
  std::string letters;
  if (!SelectDrives(letters)) return;
  for (char letter : letters) {
    if (!db) return;
    letter = upperAscii(letter);
    if (!db->ScanDisk(letter, NoQueries)) break;
    if (EjectAfterScan && (letter == CdDriveLetters[0] || letter == CdDriveLetters[1]))
      Eject(letter);
    CloseRequest::processEvents();
  }
}

void TMainForm::MenuScanFolderClick() {
  std::string folder, diskName, volumeLabel;
  if (!SelectScanFolder(folder, diskName, volumeLabel)) return;
  if (TFormDBase* db = activeDBase()) db->ScanFolderAsDisk(folder, diskName, volumeLabel);
}

void TMainForm::MenuConfigClick() {
  TFormDBase* db = activeDBase();
  if (db != nullptr) FormSettings->SetOptions(db->options());
  if (FormSettings->exec() != QDialog::Accepted) return;
  if (TMdiChild* child = activeChild()) child->ApplyGlobalOptions();
}

void TMainForm::MenuLocalOptionsClick() {
  activeDBase()->EditLocalOptions();
}

// ---- Recent files and side files ----

void TMainForm::AddToRecentFiles(const std::string& fileName) {
  recent_.add(fileName);
  UpdateRecentFilesMenu();
}

void TMainForm::RemoveFromRecentFiles(const std::string& fileName) {
  if (recent_.remove(fileName)) UpdateRecentFilesMenu();
}

void TMainForm::UpdateRecentFilesMenu() {
  const int count = recent_.shownCount();
  recentSeparator_->setVisible(count > 0);
  for (int i = 0; i < RecentFiles::kCount; ++i) {
    recentActions_[i]->setText(qs(recent_.caption(i)));
    recentActions_[i]->setVisible(i < count);
  }
}

void TMainForm::MenuLastFileClick(int index) {
  const std::string name = recent_.entry(index);
  OpenDBaseWindow(name);
  recent_.LastOpened = name;
  RemoveFromRecentFiles(name);
}

void TMainForm::LoadSettingsIni() {
  const std::string settings = configFilePath(kSettingsIniName);
  if (HostPathKind(settings) == PathKind::kFile) {
    const IniFile ini = IniFile::load(settings);
    recent_.read(ini);
    UpdateRecentFilesMenu();
    if (FormSearchFileDlg != nullptr) FormSearchFileDlg->LoadFromIni(ini);
    if (FormMoreOptions != nullptr) FormMoreOptions->LoadFromIni(ini);
  }
  const std::string userCommands = configFilePath(kUserCmdIniName);
  if (HostPathKind(userCommands) == PathKind::kFile) ReadUserCommands(IniFile::load(userCommands));
  CreateTempFolder();
}

void TMainForm::SaveSettingsIni() {
  const std::string settings = configFilePath(kSettingsIniName);
  if (!mayWriteFile(settings)) return;
  IniFile ini = IniFile::load(settings);
  recent_.write(ini);
  if (FormSearchFileDlg != nullptr) FormSearchFileDlg->SaveToIni(ini);
  if (FormMoreOptions != nullptr) FormMoreOptions->SaveToIni(ini);
  ini.save(settings);
}

// ---- Window placement ----

void TMainForm::LoadWindowPlacement() {
  const QRect screen = screenArea();
  const QRect fallback(screen.topLeft(),
                       QSize(screen.width(), screen.height() - kScreenBottomMargin));
  const IniFile ini = IniFile::load(iniPath());
  ChildMaximized = ini.readBool("Application", "MDIChildMaximized", true);
  const bool maximized = ini.readBool("Application", "Maximized", isMaximized());
  const bool minimized = ini.readBool("Application", "Minimized", isMinimized());
  setFrameBounds(this, readBounds(ini, "Application", fallback, screen));
  if (maximized)
    setWindowState(Qt::WindowMaximized);
  else if (minimized)
    setWindowState(Qt::WindowMinimized);
}

void TMainForm::SaveWindowPlacement() {
  const std::string path = iniPath();
  if (!mayWriteFile(path)) return;
  IniFile ini = IniFile::load(path);
  if (FormSettings != nullptr) FormSettings->settings().writeHeaderWidths(ini);
  if (!isMaximized() && !isMinimized()) writeBounds(ini, "Application", frameBounds(this));
  ini.writeBool("Application", "Maximized", isMaximized());
  ini.writeBool("Application", "Minimized", isMinimized() && !isMaximized());
  if (const TMdiChild* child = activeChild()) activeChildMaximized_ = child->isMaximized();
  if (activeChildMaximized_)
    ini.writeBool("Application", "MDIChildMaximized", *activeChildMaximized_);
  writePlacements(ini);
  ini.save(path);
}

}  // namespace vellomar

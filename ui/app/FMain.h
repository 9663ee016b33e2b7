#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/api/UApi.h"
#include "ui/app/UMenuRules.h"
#include "ui/app/URecentFiles.h"
#include "ui/common/UIdleLoop.h"
#include "ui/common/UMdiChild.h"

class QAction;
class QMdiArea;
class QMenu;
class QToolBar;
class QToolButton;

namespace vellomar {

class CatalogueGateway;
class KeyDispatcher;
class KeyMap;
class TFormDBase;

// The program's frame ("Vellomar 5"): an MDI area of database windows and result lists, the
// main menu and the toolbar. It owns no catalogue data. Its first idle pass runs the start-up
// (side files, command line, start-up database); every idle pass polls the active child and
// refreshes the toolbar. Every key of the menus goes through one dispatcher, after the focused
// panel's own keys.
class TMainForm : public QMainWindow {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 50;

  // arguments: the command line without the program's name. The program's INI file and the
  // side files are looked for in configFolder().
  explicit TMainForm(QStringList arguments = {}, QWidget* parent = nullptr);
  ~TMainForm() override;

  QMdiArea* mdiArea() const { return mdiArea_; }
  IdleLoop& idleLoop() { return *idleLoop_; }

  // The active MDI child, or null.
  TMdiChild* activeChild() const;
  // The active child when it is a database window, else null.
  TFormDBase* activeDBase() const;

  // ---- Windows ----

  // Makes a database window and opens the file in it; the window closes again when the open
  // fails. Then runs the command line's pending search and scans. Null when the open failed.
  TFormDBase* OpenDBaseWindow(const std::string& fileName);
  // The database window that shows this file (the same file by its canonical path), brought to
  // front when asked; null when none does.
  TFormDBase* IsDBaseOpen(const std::string& fileName, bool bringToFront);
  // The result list of the active database window: bit 0 of kinds accepts a found-files
  // list, bit 1 a free-space list.
  TMdiChild* FindFoundWindow(int kinds) const;

  // ---- Idle loop ----

  // One idle pass and one timer tick, as the loop runs them.
  void AppIdle();
  void MainTimerTimer();

  // ---- Menus and toolbar ----

  QAction* menuAction(Command command) const;
  QMenu* menu(const char* name) const;
  QToolButton* toolButton(Command command) const;
  // The enabling terms of the active child now.
  MenuTerms currentTerms() const;
  // Enabled and checked states of every menu item.
  void MenuBarClick();
  // Enabled and pushed states of the toolbar buttons, written only when they differ.
  void UpdateToolbar();
  // What a menu item, toolbar button or key of the command does; nothing when it is disabled.
  void runCommand(Command command);

  // ---- Recent files and side files ----

  RecentFiles& recentFiles() { return recent_; }
  void AddToRecentFiles(const std::string& fileName);
  void RemoveFromRecentFiles(const std::string& fileName);
  void UpdateRecentFilesMenu();
  void MenuLastFileClick(int index);
  // "Settings.ini", "UserCmd.ini" and the temporary folder; the first step of the start-up.
  void LoadSettingsIni();
  // "Settings.ini" at the end of the run, when it may be written. LastOpened is kept only while
  // its database is open (the close of the frame clears it otherwise).
  void SaveSettingsIni();

  // ---- Window placement (the program's INI file, [Application]) ----

  void LoadWindowPlacement();
  void SaveWindowPlacement();

  // ---- Runs and dialogs of other window families ----

  // The compress (0), export to read-only (1), export (2) and import (3) runs on a file; the
  // handle is the active window's database for modes 1 to 3.
  void RunReindex(int mode, CatalogueGateway* catalogue, const std::string& fileName);
  void RunRepair(const std::string& source, const std::string& target);
  // The drive dialog with multiple selection; the chosen drive letters, top to bottom.
  bool SelectDrives(std::string& letters);
  // The folder-as-disk dialog.
  bool SelectScanFolder(std::string& folder, std::string& diskName, std::string& volumeLabel);
  void Eject(char letter);
  bool IsSleevoraPluginPresent();
  // A medium arrived in a drive: scanned in the active database window when the settings ask
  // for it and the drive is one of the two CD drives; ignored while a dialog or a scan runs.
  void MediaArrived(char letter);
  // Upper-case letters of the first two CD-ROM drives, blank when none.
  char CdDriveLetters[2] = {' ', ' '};

  // Command-line state, parsed on the first idle pass.
  std::string CmdDatabase;
  std::string CmdFindText;
  std::string CmdScanDrives;
  bool CmdAutoMode = false;
  bool ChildMaximized = true;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // What a command acts on besides the main window: the active child, and that child as a
  // database window (null when it is another).
  struct CommandScope {
    TFormDBase* db;
    TMdiChild* child;
  };
  using CommandAction = void (*)(TMainForm& main, const CommandScope& scope);
  // What each command does: the one table the menu, the toolbar and the keys dispatch from.
  static CommandAction actionOf(Command command);

  void buildMenus();
  // The Tools menu is on the menu bar only while the label plug-in is there.
  void showToolsMenu(bool shown);
  void buildToolbar();
  // The scan dialogs' placements, the eject buttons, the plug-in's menu and the media watch.
  void SetupScanning();
  void ProcessStartup();
  void openAtStartup(const std::string& name, const char* caption);
  // The folder the file dialogs start in.
  std::string dialogFolder();
  void takeFolderOf(const std::string& fileName);
  void MenuNewClick();
  void MenuOpenDBaseClick();
  void MenuReindexClick();
  void MenuRepairClick();
  void MenuExportClick(int mode);
  void MenuImportClick();
  void ScanDiskClick();
  void MenuScanFolderClick();
  void MenuConfigClick();
  void MenuLocalOptionsClick();
  void ShowDBaseClick();
  void ShowFoundClick();
  void setButtonEnabled(QToolButton* button, bool enabled);
  std::string iniPath() const;

  QStringList arguments_;
  QMdiArea* mdiArea_ = nullptr;
  QToolBar* mainPanel_ = nullptr;
  std::unique_ptr<IdleLoop> idleLoop_;
  KeyMap* menuKeys_ = nullptr;
  KeyDispatcher* keyDispatcher_ = nullptr;
  std::map<Command, QAction*> actions_;
  std::map<Command, QToolButton*> buttons_;
  std::vector<QAction*> recentActions_;
  QAction* recentSeparator_ = nullptr;
  RecentFiles recent_;
  bool StartupPending = true;
  QPointer<TMdiChild> LastActiveChild;
  bool lastActiveSeen_ = false;
  // The state of the child that was active when the frame began to close.
  std::optional<bool> activeChildMaximized_;
};

}  // namespace vellomar

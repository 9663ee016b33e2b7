#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <array>
#include <memory>
#include <string>

#include "ui/common/UIdleLoop.h"
#include "ui/common/UMdiChild.h"

class QMdiArea;
class QMenu;

namespace vellomar {

class TFormDBase;

// The program's frame ("Vellomar 5"): an MDI area of database windows and result lists, the
// main menu and the toolbar. It owns no catalogue data. Its first idle pass runs the start-up
// (side files, command line, start-up database); every idle pass polls the active child and
// refreshes the toolbar.
class TMainForm : public QMainWindow {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 50;

  // arguments: the command line without the program's name.
  explicit TMainForm(QStringList arguments = {}, QWidget* parent = nullptr);
  ~TMainForm() override;

  QMdiArea* mdiArea() const { return mdiArea_; }
  IdleLoop& idleLoop() { return *idleLoop_; }

  // The active MDI child, or null.
  TMdiChild* activeChild() const;
  // The active child when it is a database window, else null.
  TFormDBase* activeDBase() const;

  // Makes a database window and opens the file in it; the window closes again when the open
  // fails. Then runs the command line's pending search and scans. Null when the open failed.
  TFormDBase* OpenDBaseWindow(const std::string& fileName);
  // The database window that shows this file (the same file by its canonical path), brought to
  // front when asked; null when none does.
  TFormDBase* IsDBaseOpen(const std::string& fileName, bool bringToFront);
  // The result list of the active database window: bit 0 of kinds accepts a found-files
  // list, bit 1 a free-space list.
  TMdiChild* FindFoundWindow(int kinds) const;

  // One idle pass and one timer tick, as the loop runs them.
  void AppIdle();
  void MainTimerTimer();

  // Command-line state, parsed on the first idle pass.
  std::string CmdDatabase;
  std::string CmdFindText;
  std::string CmdScanDrives;
  bool CmdAutoMode = false;
  // Where the File menu's dialogs start.
  std::string LastDir;
  bool ChildMaximized = true;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void ProcessStartup();
  void buildMenus();
  void addDBaseFileCommands(QMenu* file);

  QStringList arguments_;
  QMdiArea* mdiArea_ = nullptr;
  std::unique_ptr<IdleLoop> idleLoop_;
  bool StartupPending = true;
  QPointer<TMdiChild> LastActiveChild;
  bool lastActiveSeen_ = false;
};

}  // namespace vellomar

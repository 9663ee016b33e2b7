#include "ui/app/FMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QMdiArea>
#include <QMenuBar>
#include <filesystem>

#include "ui/common/UServices.h"
#include "ui/dbase/FDBase.h"
#include "ui/dbruns/UFileCommands.h"
#include "ui/dbsettings/FLocalOptions.h"
#include "ui/settings/FSettings.h"

namespace vellomar {

namespace {

// The canonical form of a path, or the path itself when it does not resolve.
std::string canonicalPath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path resolved = std::filesystem::canonical(path, error);
  return error ? path : resolved.string();
}

}  // namespace

TMainForm::TMainForm(QStringList arguments, QWidget* parent)
    : QMainWindow(parent), arguments_(std::move(arguments)) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Vellomar 5"));
  mdiArea_ = new QMdiArea(this);
  mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdiArea_);
  buildMenus();
  idleLoop_ = std::make_unique<IdleLoop>([this] { AppIdle(); }, [this] { MainTimerTimer(); });
  idleLoop_->start();
}

TMainForm::~TMainForm() = default;

void TMainForm::buildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addAction(QStringLiteral("&Open database..."), this, [this] {
    const QString name =
        QFileDialog::getOpenFileName(this, QStringLiteral("Open Database"), QString(),
                                     QStringLiteral("Vellomar Database (*.kvd *.KVD)"));
    if (name.isEmpty()) return;
    if (IsDBaseOpen(name.toStdString(), true) == nullptr) OpenDBaseWindow(name.toStdString());
  });
  file->addAction(QStringLiteral("&Close database"), this, [this] {
    if (TFormDBase* db = activeDBase()) db->close();
  });
  addDBaseFileCommands(file);
  file->addSeparator();
  file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
}

void TMainForm::addDBaseFileCommands(QMenu* file) {
  const auto commands = [this] {
    DBaseFileCommands c;
    c.Parent = this;
    c.IsOpen = [this](const std::string& name) { return IsDBaseOpen(name, true) != nullptr; };
    c.LastDir = &LastDir;
    c.BackupDBase = FormSettings != nullptr && FormSettings->settings().BackupDBase;
    return c;
  };
  // The commands that write into the active database need one that may be written.
  const auto writable = [this]() -> TFormDBase* {
    TFormDBase* db = activeDBase();
    return db != nullptr && !db->closing() && !db->readOnly() ? db : nullptr;
  };
  file->addSeparator();
  file->addAction(QStringLiteral("Co&mpress database..."), this,
                  [=] { MenuReindexClick(commands()); });
  file->addAction(QStringLiteral("Repair database..."), this, [=] { MenuRepairClick(commands()); });
  file->addSeparator();
  file->addAction(QStringLiteral("&Export..."), this, [=] {
    if (TFormDBase* db = writable()) {
      MenuExportClick(commands(), db->GetDBaseHandle(), ReindexMode::kExport);
    }
  });
  file->addAction(QStringLiteral("Export to read-only database..."), this, [=] {
    if (TFormDBase* db = writable()) {
      MenuExportClick(commands(), db->GetDBaseHandle(), ReindexMode::kExportReadOnly);
    }
  });
  file->addAction(QStringLiteral("Export to other format..."), this, [this] {
    if (TFormDBase* db = activeDBase(); db != nullptr && !db->readOnly()) {
      db->ExportDBase();
    } else if (TMdiChild* child = activeChild(); child != nullptr && db == nullptr) {
      child->ExportList();
    }
  });
  file->addAction(QStringLiteral("&Import..."), this, [=] {
    if (TFormDBase* db = writable()) MenuImportClick(commands(), db->GetDBaseHandle());
  });
  QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
  options->addAction(QStringLiteral("Data&base settings..."), this, [this] {
    if (TFormDBase* db = activeDBase()) MenuLocalOptionsClick(*db);
  });
}

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
  if (db == nullptr) return nullptr;
  for (QMdiSubWindow* sub : mdiArea_->subWindowList()) {
    auto* child = qobject_cast<TMdiChild*>(sub);
    if (child == nullptr || child->Tag != db->Tag) continue;
    if ((child->kind() == TMdiChild::Kind::kFoundFiles && (kinds & 1) != 0) ||
        (child->kind() == TMdiChild::Kind::kFoundEmpty && (kinds & 2) != 0))
      return child;
  }
  return nullptr;
}

void TMainForm::ProcessStartup() {
  StartupPending = false;
  if (!arguments_.isEmpty()) {
    const std::string name = arguments_.front().toStdString();
    if (std::filesystem::is_regular_file(name))
      OpenDBaseWindow(std::filesystem::absolute(name).string());
    else
      showExclamation("Error on command line", "File does not exist: " + name);
  }
}

void TMainForm::AppIdle() {
  if (StartupPending) ProcessStartup();
  // The active form: a child only while the frame itself is the active window, not a dialog.
  if (QApplication::activeModalWidget() == nullptr)
    if (TMdiChild* child = activeChild()) child->IdleUpdate();
  TMdiChild* active = activeChild();
  if (!lastActiveSeen_ || active != LastActiveChild) {
    lastActiveSeen_ = true;
    LastActiveChild = active;
  }
}

void TMainForm::MainTimerTimer() {
  if (QApplication::activeModalWidget() == nullptr)
    if (TMdiChild* child = activeChild()) child->TimerUpdate();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  mdiArea_->closeAllSubWindows();
  if (!mdiArea_->subWindowList().isEmpty()) {
    event->ignore();
    return;
  }
  services().help->quit();
  event->accept();
}

}  // namespace vellomar

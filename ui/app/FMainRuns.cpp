// The main window's entry points into the runs and dialogs of other window families.
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include "ui/app/FMain.h"
#include "ui/app/UGlyphs.h"
#include "ui/common/UCloseRequest.h"
#include "ui/common/UProgressWindow.h"
#include "ui/common/UServices.h"
#include "ui/dbase/FDBase.h"
#include "ui/dbruns/FReindex.h"
#include "ui/dbruns/FRepair.h"
#include "ui/drives/FSelectFolder.h"
#include "ui/drives/UDrives.h"
#include "ui/scan/FScanFolder.h"
#include "ui/scan/FSelectDrive.h"
#include "ui/scan/UMediaArrival.h"
#include "ui/scan/UScanDialogs.h"
#include "ui/settings/FSettings.h"
#include "ui/settings/USettingsGlobals.h"
#include "ui/usercmd/ULibraries.h"

namespace vellomar {

// ---- Compress, export, import and repair runs ----

void TMainForm::RunReindex(int mode, CatalogueGateway* catalogue, const std::string& fileName) {
  TFormReindex form(this);
  form.Job.Mode = static_cast<ReindexMode>(mode);
  if (form.Job.Mode == ReindexMode::kImport) {
    form.Job.Target = catalogue;
    form.Job.SourceName = fileName;
  } else if (form.Job.Mode == ReindexMode::kCompress) {
    form.Job.SourceName = fileName;
    form.Job.BackupDBase = FormSettings != nullptr && FormSettings->settings().BackupDBase;
  } else {
    form.Job.Source = catalogue;
    form.Job.TargetName = fileName;
  }
  form.exec();
}

void TMainForm::RunRepair(const std::string& source, const std::string& target) {
  TFormRepair form(this);
  form.SourceName = source;
  form.TargetName = target;
  form.exec();
}

// ---- Drives and scanning dialogs ----

void TMainForm::SetupScanning() {
  const IniFile ini = IniFile::load(iniPath());
  ScanDialogs& dialogs = ScanDialogs::of(this);
  dialogs.SelectDrive->LoadWindowPos(ini);
  dialogs.SelectFolder->LoadWindowPos(ini);
  dialogs.SelectDrive->ListBoxDrives->setSelectionMode(QAbstractItemView::ExtendedSelection);

  const std::string cd = vellomar::CdDriveLetters(processDriveTable());
  for (int i = 0; i < 2; ++i) {
    CdDriveLetters[i] = cd[i];
    auto* button = new QToolButton(mainPanel_);
    button->setObjectName(QStringLiteral("SpeedButtonEject%1").arg(i + 1));
    button->setIcon(toolbarIcon("media-eject", "eject"));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    const char letter = cd[i];
    button->setToolTip(QStringLiteral("Eject disk from %1:").arg(QChar(letter)));
    connect(button, &QToolButton::clicked, this, [this, letter] { Eject(letter); });
    mainPanel_->addWidget(button)->setVisible(letter != ' ');
  }
  showToolsMenu(IsSleevoraPluginPresent());

  auto* mediaWatch = new TMediaWatch(processDriveTable(), this);
  connect(mediaWatch, &TMediaWatch::arrived, this, &TMainForm::MediaArrived);
}

bool TMainForm::SelectDrives(std::string& letters) {
  TFormSelectDrive& dialog = *ScanDialogs::of(this).SelectDrive;
  if (dialog.exec() != QDialog::Accepted) return false;
  letters = dialog.SelectedLetters();
  return true;
}

bool TMainForm::SelectScanFolder(std::string& folder, std::string& diskName,
                                 std::string& volumeLabel) {
  TFormScanFolder& dialog = *ScanDialogs::of(this).ScanFolder;
  if (dialog.exec() != QDialog::Accepted) return false;
  folder = dialog.ScanPath;
  diskName = dialog.DiskName;
  volumeLabel = dialog.VolumeLabel;
  return true;
}

// ---- Media and the label plug-in ----

void TMainForm::MediaArrived(char letter) {
  // A scan started inside a dialog's or another scan's event loop would pull the ground from
  // under it.
  if (QApplication::activeModalWidget() != nullptr || ProgressContext::active()) return;
  TFormDBase* db = activeDBase();
  if (db != nullptr && db->scanRunning()) return;
  const std::string cd{CdDriveLetters[0], CdDriveLetters[1]};
  if (!ScansArrival(letter, cd, ScanAfterInsert, db != nullptr)) return;
  const CloseRequest::Work work;
  db->ScanDisk(letter, NoQueries);
  if (EjectAfterScan) Eject(letter);
}

void TMainForm::Eject(char letter) {
  if (!EjectDrive(letter, DeviceNodeOf(letter))) {
    showExclamation("Error", std::string("The disk cannot be ejected from drive ") + letter + ":.");
  }
}

bool TMainForm::IsSleevoraPluginPresent() {
  return vellomar::IsSleevoraPluginPresent();
}

}  // namespace vellomar

// The main window's entry points into the runs and dialogs of other window families. Until
// those families fill them, each does nothing visible.
#include "ui/app/FMain.h"

#include "ui/dbruns/FReindex.h"
#include "ui/dbruns/FRepair.h"
#include "ui/settings/FSettings.h"

namespace vellomar {

// ---- Compress, export, import and repair runs ----

void TMainForm::RunReindex(int mode, TDBase* handle, const std::string& fileName) {
  TFormReindex form(this);
  form.Job.Mode = static_cast<ReindexMode>(mode);
  if (form.Job.Mode == ReindexMode::kImport) {
    form.Job.Target = handle;
    form.Job.SourceName = fileName;
  } else if (form.Job.Mode == ReindexMode::kCompress) {
    form.Job.SourceName = fileName;
    form.Job.BackupDBase = FormSettings != nullptr && FormSettings->settings().BackupDBase;
  } else {
    form.Job.Source = handle;
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

bool TMainForm::SelectDrives(std::string&) {
  return false;
}

bool TMainForm::SelectScanFolder(std::string&, std::string&, std::string&) {
  return false;
}

// ---- Media and the label plug-in ----

void TMainForm::Eject(char) {}

bool TMainForm::IsSleevoraPluginPresent() {
  return false;
}

}  // namespace vellomar

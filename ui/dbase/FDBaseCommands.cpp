// The database window's entry points for the panels and for the commands of the other window
// families. Until those families fill them, each keeps the window consistent and does nothing
// visible.
#include "ui/dbase/FDBase.h"

#include "ui/dbruns/FDiskExport.h"
#include "ui/dbsettings/FLocalOptions.h"

namespace vellomar {

void TFormDBase::ToggleShowTree() {
  options_.ShowTree = !options_.ShowTree;
  ArrangePanels();
}

// ---- Scanning ----

bool TFormDBase::ScanDisk(char, bool) {
  return false;
}

void TFormDBase::RescanDisk() {}
void TFormDBase::ScanFolderAsDisk(const std::string&, const std::string&, const std::string&) {}

void TFormDBase::EditLocalOptions() {
  if (closing_) return;
  TFormLocalOptions dialog(this);
  dialog.SetOptions(localOptions_);
  dialog.SetFilterNames(FilterModuleNames());
  if (dialog.exec() != QDialog::Accepted) return;
  dialog.GetOptions(localOptions_);
  Guarded([&] { ApiSetLocalOptions(handle_, localOptions_); });
}

// ---- Selection and clipboard ----

// ---- Search ----

void TFormDBase::FindFiles() {}
void TFormDBase::FindSelectedFiles() {}
void TFormDBase::FindFreeSpace() {}
void TFormDBase::FindFileName(const std::string&) {}

// ---- Printing, export, user commands ----

void TFormDBase::ExportDBase() {
  if (closing_) return;
  std::string disk;
  std::string folder;
  Guarded([&] {
    ShortString name;
    uint16_t flags = 0;
    int32_t index = 0;
    if (ApiGetCurrentKey(handle_, name, flags, index)) disk = name.str();
    ShortString path;
    if (ApiGetCurrentPath(handle_, path)) folder = path.str();
  });
  TFormDiskExport form(this);
  form.DBaseHandle = handle_;
  form.exec();
  // A walk over whole disks leaves no disk loaded: back to where the window stood.
  Guarded([&] {
    ApiGoToDiskByName(handle_, ShortString(disk));
    ApiClearKeysChanged(handle_);
    ReloadTree();
    ApiClearTreeChanged(handle_);
    ApiGoToPath(handle_, ShortString(folder));
    LoadFileList(std::string());
    ApiClearFilesChanged(handle_);
  });
}
void TFormDBase::PrintSleevoraLabels() {}

}  // namespace vellomar

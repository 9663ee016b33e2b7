// The database window's entry points for the panels and for the commands of the other window
// families. Until those families fill them, each keeps the window consistent and does nothing
// visible.
#include "ui/dbase/FDBase.h"

#include "ui/dbase/FFilePanel.h"
#include "ui/dbruns/FDiskExport.h"
#include "ui/dbsettings/FLocalOptions.h"
#include "ui/search/FSearchCommands.h"

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

namespace {

// The database window as the search commands and its result windows see it.
class DBaseSearchHost final : public TSearchHost {
 public:
  explicit DBaseSearchHost(TFormDBase& form) : form_(form) {}

  TMdiChild& window() override { return form_; }
  TDBase* handle() override { return form_.GetDBaseHandle(); }
  bool closing() override { return form_.closing(); }
  const TGlobalOptions& options() override { return form_.options(); }
  bool guarded(const std::function<void()>& body) override { return form_.Guarded(body); }
  std::string focusedFileName() override { return form_.filePanel()->GetFocusedFileName(); }
  std::vector<std::string> selectedFileNames() override {
    std::vector<std::string> names;
    TFileLineList& lines = form_.filePanel()->lines();
    for (int32_t i = 0; i < lines.count(); ++i) {
      const TOneFileLine& line = *lines.at(i);
      if ((line.Flags & kLineSelected) != 0 && line.Kind != kLineParent) {
        names.push_back(FullNameOf(*line.Entry));
      }
    }
    return names;
  }
  TFoundOwner owner() override {
    TFoundOwner owner;
    owner.Window = &form_;
    owner.Handle = form_.GetDBaseHandle();
    owner.FileName = form_.filePath();
    owner.JumpTo = [form = QPointer<TFormDBase>(&form_)](const std::string& disk,
                                                         const std::string& folder,
                                                         const std::string& file) {
      if (form) form->JumpTo(disk, folder, file);
    };
    return owner;
  }

 private:
  TFormDBase& form_;
};

}  // namespace

void TFormDBase::FindFiles() {
  DBaseSearchHost host(*this);
  RunFindFiles(host);
}

void TFormDBase::FindSelectedFiles() {
  DBaseSearchHost host(*this);
  RunFindSelectedFiles(host);
}

void TFormDBase::FindFreeSpace() {
  DBaseSearchHost host(*this);
  RunFindFreeSpace(host);
}

void TFormDBase::FindFileName(const std::string& text) {
  DBaseSearchHost host(*this);
  RunFindFileName(host, text);
}

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

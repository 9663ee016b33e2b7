// The database window's entry points for the panels and for the commands of the other window
// families. Until those families fill them, each keeps the window consistent and does nothing
// visible.
#include "ui/dbase/FDBase.h"

#include <QLineEdit>

#include "foundation/UDebugLog.h"
#include "ui/common/UKeyDispatcher.h"
#include "ui/common/UServices.h"
#include "ui/dbase/FFilePanel.h"
#include "ui/dbruns/FDiskExport.h"
#include "ui/dbsettings/FLocalOptions.h"
#include "ui/drives/UDrives.h"
#include "ui/grid/UQtText.h"
#include "ui/panels/UShellOpen.h"
#include "ui/scan/FAskForLabel.h"
#include "ui/scan/FScanFolder.h"
#include "ui/scan/FScanProgress.h"
#include "ui/scan/UScanCommands.h"
#include "ui/scan/UScanDialogs.h"
#include "ui/search/FSearchCommands.h"
#include "ui/usercmd/ULibraries.h"
#include "ui/usercmd/UUserCommandKeys.h"
#include "ui/usercmd/UUserCommands.h"

namespace vellomar {

namespace {

// The scanning commands' side of the window: its dialogs, boxes and view.
class DBaseScanWindow : public ScanWindow {
 public:
  explicit DBaseScanWindow(TFormDBase& form) : form_(form), dialogs_(ScanDialogs::of(&form)) {}

  bool askDiskName(const std::string& caption, const std::string& generatedName, std::string& name,
                   bool& usedGenerated) override {
    TFormAskForLabel& dialog = *dialogs_.AskForLabel;
    dialog.setWindowTitle(qtText(caption));
    dialog.GeneratedName = generatedName;
    dialog.EditDiskName->setText(qtText(name));
    if (dialog.exec() != QDialog::Accepted) return false;
    name = fromQt(dialog.EditDiskName->text());
    usedGenerated = dialog.UsedGenerated;
    return true;
  }
  bool askRescanFolder(const std::string& folder, const std::string& diskName,
                       std::string& scanPath, std::string& volumeLabel) override {
    TFormScanFolder& dialog = *dialogs_.ScanFolder;
    const QString shownFolder = dialog.EditFolder->text();
    const QString shownName = dialog.EditDiskName->text();
    dialog.SetFolder(folder);
    dialog.EditDiskName->setText(qtText(diskName));
    dialog.SetScanMode(false);
    const bool ok = dialog.exec() == QDialog::Accepted;
    dialog.SetScanMode(true);
    dialog.EditFolder->setText(shownFolder);
    dialog.EditDiskName->setText(shownName);
    scanPath = dialog.ScanPath;
    volumeLabel = dialog.VolumeLabel;
    return ok;
  }
  ScanAnswer askWarning(const std::string& caption, const std::string& text) override {
    switch (
        services().messages->show(caption, text, BoxIcon::kQuestion, BoxButtons::kYesNoCancel)) {
      case BoxResult::kYes:
        return ScanAnswer::kYes;
      case BoxResult::kNo:
        return ScanAnswer::kNo;
      default:
        return ScanAnswer::kCancel;
    }
  }
  void showError(const std::string& text) override { showErrorMessage("Error", text); }
  bool runScan(const ScanRequest& request) override {
    TFormScanProgress& dialog = *dialogs_.ScanProgress;
    dialog.Request = request;
    dialog.exec();
    return dialog.ScanResult;
  }
  void showWriteError() override { form_.ShowWriteErrorBox(); }
  std::string focusedName() override { return form_.filePanel()->GetFocusedFileName(); }
  void jumpTo(const std::string& diskName, const std::string& folder,
              const std::string& name) override {
    form_.JumpTo(diskName, folder, name);
  }
  void setScanRunning(bool running) override { form_.setScanRunning(running); }

 private:
  TFormDBase& form_;
  ScanDialogs& dialogs_;
};

// Where a file of the current folder lies, and what the disk's record says of its drive.
struct FileLocation {
  UserCommandPaths paths;
  std::string recordedLabel;
  bool inArchive = false;
  char letter = 0;  // of the drive the disk was scanned from; 0 when none was recorded
};

FileLocation locateFile(const CatalogueGateway& catalogue, const std::string& fileName) {
  const CatalogueDiskDetails disk = catalogue.currentDiskDetails();
  FileLocation where;
  where.inArchive = catalogue.isInArchive();
  const std::string archive = where.inArchive ? catalogue.archivePath() : std::string();
  where.paths = UserCommandPathsOf(disk.Path.str(), catalogue.currentPath(), archive, fileName);
  where.recordedLabel = disk.Label.str();
  where.letter = disk.Path.empty() ? '\0' : disk.Path.view().front();
  return where;
}

}  // namespace

void TFormDBase::ToggleShowTree() {
  options_.ShowTree = !options_.ShowTree;
  ArrangePanels();
}

// ---- Scanning ----

void TFormDBase::runScanCommand(const std::function<void(ScanCommands&)>& command) {
  DBaseScanWindow window(*this);
  ScanCommands commands(catalogue_, localOptions_, window);
  Guarded([&] { command(commands); });
  // The window was told nothing while the scan ran; it shows the disk the scan left current.
  Guarded([&] {
    RefreshDisks();
    ReloadTree();
    catalogue_.clearTreeChanged();
    LoadFileList({});
    catalogue_.clearFilesChanged();
  });
}

bool TFormDBase::ScanDisk(char letter, bool noQueries) {
  if (closing_) return true;
  bool scanned = false;
  runScanCommand([&](ScanCommands& c) { scanned = c.ScanDisk(letter, noQueries); });
  return scanned;
}

void TFormDBase::RescanDisk() {
  if (closing_) return;
  runScanCommand([](ScanCommands& c) { c.RescanDisk(); });
}

// The label read by the folder dialog is not needed: the scan reads the volume again.
void TFormDBase::ScanFolderAsDisk(const std::string& folder, const std::string& diskName,
                                  const std::string&) {
  if (closing_) return;
  runScanCommand([&](ScanCommands& c) { c.ScanFolderAsDisk(folder, diskName); });
}

void TFormDBase::EditLocalOptions() {
  if (closing_) return;
  TFormLocalOptions dialog(this);
  dialog.SetOptions(localOptions_);
  dialog.SetFilterNames(FilterModuleNames());
  if (dialog.exec() != QDialog::Accepted) return;
  const bool showedDeleted = localOptions_.ShowDeleted;
  dialog.GetOptions(localOptions_);
  Guarded([&] {
    catalogue_.setLocalOptions(localOptions_);
    // The disk list counts the deleted disks by this option: it follows at once.
    if (localOptions_.ShowDeleted != showedDeleted) {
      RefreshDisks();
      catalogue_.setTreeChanged();
    }
  });
}

// ---- Selection and clipboard ----

// ---- Search ----

namespace {

// The database window as the search commands and its result windows see it.
class DBaseSearchHost final : public TSearchHost {
 public:
  explicit DBaseSearchHost(TFormDBase& form) : form_(form) {}

  TMdiChild& window() override { return form_; }
  CatalogueGateway& catalogue() override { return form_.catalogue(); }
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
        names.push_back(FullNameOf(line));
      }
    }
    return names;
  }
  TFoundOwner owner() override {
    TFoundOwner owner;
    owner.Window = &form_;
    owner.Catalogue = &form_.catalogue();
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
  RunAndComeBack([this] {
    TFormDiskExport form(this);
    form.Catalogue = &catalogue_;
    form.exec();
  });
}

void TFormDBase::PrintSleevoraLabels() {
  if (closing_) return;
  std::string names;
  if (!Guarded([&] {
        for (int32_t i = 0; i < catalogue_.keyCount(); ++i) {
          const std::optional<CatalogueKey> key = catalogue_.key(i);
          if (key && (key->Flags & kKeySelected) != 0) names += key->Name.str() + "\r\n";
        }
      }))
    return;
  ShowSleevoraPrintDialog(window()->winId(), names);
}

void TFormDBase::BindUserCommands() {
  auto* keys = new KeyMap(this);
  for (const UserCommandBinding& binding : UserCommandBindings(UserCommandList)) {
    std::vector<TUserCommand> commands;
    for (const TUserCommand* command : binding.commands) commands.push_back(*command);
    keys->add(binding.key, [this, commands] {
      for (const TUserCommand& c : commands) ExecuteUserCommand(c.sDll, c.sParams, c.bTest != 0);
    });
  }
}

void TFormDBase::ExecuteUserCommand(const std::string& library, const std::string& params,
                                    bool test) {
  DebugLog("ExecuteUserCommand(sDll=%s, sParams=%s)", library.c_str(), params.c_str());
  if (closing_) return;
  const TOneFileLine* line = filePanel()->focusedLine();
  if (line == nullptr || line->Kind == kLineParent) return;
  const TOneFile entry = line->Entry();
  if ((entry.Data.Attr & kAttrFolder) != 0 && (entry.Data.Attr & kAttrArchiveFolder) == 0) return;
  Guarded([&] {
    for (;;) {
      const FileLocation where = locateFile(catalogue_, FullNameOf(entry));
      const UserCommandPaths& paths = where.paths;
      DebugLog("sFullPath=%s", paths.fullPath.c_str());
      DebugLog("sPathInArchive=%s", paths.pathInArchive.c_str());
      const std::optional<std::string> onDisk = findCataloguedPath(paths.fullPath, false);
      if (test && !onDisk) {
        const NotFoundCauses why =
            notFoundCauses(volumeInfo(where.letter), where.recordedLabel, where.inArchive);
        DebugLog("Does not exist: %s", paths.fullPath.c_str());
        if (services().messages->show(
                "File Not Found", notFoundMessage(ShownPath(paths.fullPath), false, why),
                BoxIcon::kExclamation, BoxButtons::kRetryCancel) == BoxResult::kRetry)
          continue;
        return;
      }
      UserCommandCall call;
      call.window = window()->winId();
      call.params = params;
      call.fullPath = onDisk.value_or(paths.fullPath);
      call.pathInArchive = paths.pathInArchive;
      call.dosDateTime = entry.Data.DateTime;
      call.size = entry.Data.Size;
      call.attributes = entry.Data.Attr & 0xFF;
      if (entry.Data.DescOffset != 0)
        call.description = catalogue_.fullDescription(entry.Data.DescOffset);
      call.tempFolder = TempFolder;
      const QueriedVolume volume = QueryVolumeInfo(where.letter, ShortString::kMaxLength);
      call.flags =
          UserCommandFlagsOf(onDisk.has_value(), volume, where.recordedLabel, where.inArchive);
      CallUserCommand(UserLibraryPath(library), call);
      return;
    }
  });
}

}  // namespace vellomar

#include "ui/search/FSearchCommands.h"

#include <QMdiArea>

#include "ui/common/UServices.h"
#include "ui/grid/UQtText.h"
#include "ui/search/FFindFileDlg.h"
#include "ui/search/FFoundEmptyList.h"
#include "ui/search/FFoundFileList.h"
#include "ui/search/FMoreOptions.h"
#include "ui/search/FSearchRuns.h"
#include "ui/search/USearchCommands.h"
#include "ui/settings/USettingsGlobals.h"

namespace vellomar {

namespace {

constexpr int kFoundFilesKind = 1;
constexpr int kFoundEmptyKind = 2;

// Where the database window stands before a search, which unloads its disk's tree.
struct SavedPlace {
  std::string Disk;
  std::string Folder;
  std::string File;
};

SavedPlace savePlace(TSearchHost& host) {
  SavedPlace place;
  host.guarded([&] {
    const CataloguePlace current = host.catalogue().currentPlace();
    place.Disk = current.Disk;
    place.Folder = current.Folder;
  });
  place.File = host.focusedFileName();
  return place;
}

void restorePlace(TSearchHost& host, const SavedPlace& place) {
  // Without a current disk (an empty database) there is no place to go back to.
  if (host.closing() || place.Disk.empty()) return;
  const TFoundOwner owner = host.owner();
  if (owner.JumpTo) owner.JumpTo(place.Disk, place.Folder, place.File);
}

// The request the commands without a dialog write into: the Search dialog's while it lives.
TSearchDlgData& lastRequest() {
  static TSearchDlgData standalone;
  return FormSearchFileDlg != nullptr ? FormSearchFileDlg->DlgData : standalone;
}

// Puts a result window of the database window in front: the one it has when reuse is wanted
// and there is one, else a new one from make.
template <class Window>
Window* targetWindow(TSearchHost& host, int kind, bool reuse,
                     const std::function<Window*()>& make) {
  QMdiArea* area = host.window().mdiArea();
  if (reuse) {
    if (auto* found = qobject_cast<Window*>(findFoundWindow(area, host.window().Tag, kind))) {
      area->setActiveSubWindow(found);
      return found;
    }
  }
  Window* window = make();
  if (area != nullptr) area->addSubWindow(window);
  window->show();
  return window;
}

// Runs a finished run's failure under the window's convention; true when there was none.
bool reportRunFailure(TSearchHost& host, const TSearchRunWindow& run) {
  if (!run.failure()) return true;
  host.guarded([&run] { std::rethrow_exception(run.failure()); });
  return false;
}

void runFileSearch(TSearchHost& host, const TSearchDlgData& request, const std::string& mask) {
  const SavedPlace place = savePlace(host);
  TFormSearchName run(&host.window());
  run.Catalogue = &host.catalogue();
  run.Request = request;
  const bool found = run.exec() == QDialog::Accepted;
  if (!reportRunFailure(host, run)) return;
  if (found) {
    const bool ok = host.guarded([&] {
      auto* target = targetWindow<TFormFoundFileList>(
          host, kFoundFilesKind, !host.options().FoundToNewWin,
          [&] { return new TFormFoundFileList(host.owner(), foundFileSortOf(request)); });
      target->setWindowTitle(
          qtText(foundWindowCaption(mask, host.window().windowTitle().toStdString())));
      target->FillList(host.catalogue());
    });
    if (!ok) return;
  }
  restorePlace(host, place);
}

}  // namespace

TMdiChild* findFoundWindow(QMdiArea* area, int tag, int kinds) {
  if (area == nullptr) return nullptr;
  for (QMdiSubWindow* sub : area->subWindowList()) {
    auto* child = qobject_cast<TMdiChild*>(sub);
    if (child == nullptr || child->Tag != tag) continue;
    if ((child->kind() == TMdiChild::Kind::kFoundFiles && (kinds & kFoundFilesKind) != 0) ||
        (child->kind() == TMdiChild::Kind::kFoundEmpty && (kinds & kFoundEmptyKind) != 0))
      return child;
  }
  return nullptr;
}

void RunFindFiles(TSearchHost& host) {
  if (host.closing() || FormSearchFileDlg == nullptr) return;
  if (FormSearchFileDlg->exec() != QDialog::Accepted) return;
  const TSearchDlgData& request = FormSearchFileDlg->DlgData;
  TDBaseStats stats;
  if (!host.guarded([&] { stats = host.catalogue().stats(); })) return;
  if (request.SearchIn == SearchScope::kSelectedDisks && stats.Selected == 0) {
    showErrorMessage("Cannot search",
                     "Search in selected disks is required, but no disk is selected.");
    return;
  }
  if (request.SearchIn == SearchScope::kNotSelectedDisks && stats.Unselected == 0) {
    showErrorMessage("Cannot search",
                     "Search in not selected disks is required, but all disks are selected.");
    return;
  }
  runFileSearch(host, request, request.Mask.str());
}

void RunFindSelectedFiles(TSearchHost& host) {
  if (host.closing()) return;
  std::vector<std::string> names;
  if (std::string focused = host.focusedFileName(); !focused.empty() && focused != "..") {
    names.push_back(std::move(focused));
  }
  for (std::string& name : host.selectedFileNames()) names.push_back(std::move(name));
  const TSelectedFilesMask mask = selectedFilesMask(names);
  if (mask.Incomplete) {
    services().messages->show("Notification",
                              "Too many files selected. Not all of them will be searched.",
                              BoxIcon::kInformation, BoxButtons::kOk);
  }
  TSearchDlgData& request = lastRequest();
  presetFindSelectedFiles(request, mask.Mask);
  runFileSearch(host, request, mask.Mask);
}

void RunFindFileName(TSearchHost& host, const std::string& text) {
  if (host.closing()) return;
  TSearchDlgData& request = lastRequest();
  presetFindFileName(request, text);
  runFileSearch(host, request, request.Mask.str());
}

void RunFindFreeSpace(TSearchHost& host) {
  if (host.closing()) return;
  const SavedPlace place = savePlace(host);
  TFormSearchEmpty run(&host.window());
  run.Catalogue = &host.catalogue();
  const bool found = run.exec() == QDialog::Accepted;
  if (!reportRunFailure(host, run)) return;
  if (found) {
    const bool ok = host.guarded([&] {
      auto* target = targetWindow<TFormFoundEmptyList>(
          host, kFoundEmptyKind, true, [&] { return new TFormFoundEmptyList(host.owner()); });
      const std::string caption =
          host.window().windowTitle().toStdString() + ": List of free space";
      target->setWindowTitle(qtText(utf8Prefix(caption, ShortString::kMaxLength)));
      target->FillList(host.catalogue());
    });
    if (!ok) return;
  }
  restorePlace(host, place);
}

TSearchDialogs::TSearchDialogs(QWidget* parent)
    : more_(std::make_unique<TFormMoreOptions>(parent)),
      search_(std::make_unique<TFormSearchFileDlg>(*more_, parent)) {
  FormMoreOptions = more_.get();
  FormSearchFileDlg = search_.get();
}

TSearchDialogs::~TSearchDialogs() {
  FormSearchFileDlg = nullptr;
  FormMoreOptions = nullptr;
}

}  // namespace vellomar

// Printing and the clipboard of the database window: the catalogue print, the folder tree and
// the disk names, over the print layer.
#include <QPrinter>

#include "engine/UApi.h"
#include "ui/dbase/FDBase.h"
#include "ui/print/FAbortPrint.h"
#include "ui/print/FDiskPrint.h"
#include "ui/print/UClipboardText.h"
#include "ui/print/UListPrint.h"

namespace vellomar {
namespace {

std::string currentDiskName(TDBase* handle) {
  ShortString name;
  uint16_t flags = 0;
  int32_t index = 0;
  return ApiGetCurrentKey(handle, name, flags, index) ? name.str() : std::string();
}

void printDisks(TFormDBase& form) {
  TDBase* handle = form.GetDBaseHandle();
  const std::string disk = currentDiskName(handle);
  ShortString path;
  ApiGetCurrentPath(handle, path);
  TFormDiskPrint print(handle, form.shortName(), &form);
  print.exec();
  // The walk moved through the disks; the window goes back where it was.
  form.Guarded([&] {
    if (!disk.empty() && ApiGoToDiskByName(handle, ShortString(disk))) {
      ApiGoToPath(handle, path);
      form.RefreshDisks();
      form.ReloadTree();
      form.LoadFileList(std::string());
    }
  });
}

void printTree(TFormDBase& form) {
  TDBase* handle = form.GetDBaseHandle();
  form.Guarded([&] {
    RunListPrint(form.window(), true,
                 [&](QPrinter& printer, const TPrintChoice& choice, TPrintStatus& status) {
                   const bool subtree = choice.Range == TPrintRange::kSelection;
                   std::vector<TOneTreeLine> lines = CollectTreeLines(
                       ApiGetRootDirCol(handle), subtree ? ApiGetCurrentDirCol(handle) : nullptr);
                   ComputeTreeCodes(lines);
                   return PrintTreeLines(printer, choice, form.options(), lines, form.shortName(),
                                         currentDiskName(handle), status);
                 });
  });
}

}  // namespace

void TFormDBase::PrintPanel(int panel) {
  if (closing()) return;
  if (panel == kPanelNone) panel = ActivePanel();
  switch (panel) {
    case kPanelDisks:
      printDisks(*this);
      break;
    case kPanelTree:
      printTree(*this);
      break;
    default:
      break;
  }
}

void TFormDBase::CopyToClipboard() {
  if (ActivePanel() == kPanelDisks) {
    Guarded([this] { CopyTextToClipboard(DiskNamesText(handle_)); });
  }
}

}  // namespace vellomar

// Printing and the clipboard of the database window: the catalogue print, the folder tree, the
// file list, the disk names and the file lines, over the print layer.
#include <QPrinter>

#include "engine/UApi.h"
#include "ui/dbase/FDBase.h"
#include "ui/dbase/FFilePanel.h"
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

std::string currentPath(TDBase* handle) {
  ShortString path;
  ApiGetCurrentPath(handle, path);
  return path.str();
}

// The file panel's lines in list order, and the index of the focused one.
std::vector<const TOneFileLine*> fileLines(TFilePanel& panel, int32_t& focused) {
  std::vector<const TOneFileLine*> lines;
  lines.reserve(static_cast<size_t>(panel.lines().count()));
  for (int32_t i = 0; i < panel.lines().count(); ++i) lines.push_back(panel.lines().at(i));
  focused = panel.focusedIndex();
  return lines;
}

void printDisks(TFormDBase& form) {
  form.RunAndComeBack([&form] {
    TFormDiskPrint print(form.GetDBaseHandle(), form.shortName(), &form);
    print.exec();
  });
}

void printFiles(TFormDBase& form) {
  TDBase* handle = form.GetDBaseHandle();
  form.Guarded([&] {
    RunListPrint(form.window(), true,
                 [&](QPrinter& printer, const TPrintChoice& choice, TPrintStatus& status) {
                   int32_t focused = 0;
                   const std::vector<const TOneFileLine*> lines =
                       fileLines(*form.filePanel(), focused);
                   return PrintFileLines(printer, choice, form.options(), handle, lines, focused,
                                         currentDiskName(handle), currentPath(handle), status);
                 });
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
    case kPanelFiles:
      printFiles(*this);
      break;
    default:
      break;
  }
}

void TFormDBase::CopyToClipboard() {
  switch (ActivePanel()) {
    case kPanelDisks:
      Guarded([this] { CopyTextToClipboard(DiskNamesText(handle_)); });
      break;
    case kPanelFiles:
      Guarded([this] {
        int32_t focused = 0;
        const std::vector<const TOneFileLine*> lines = fileLines(*filePanel(), focused);
        CopyTextToClipboard(
            FileLinesText(handle_, lines, focused, options_.ShowSeconds, options_.SizeInKB));
      });
      break;
    default:
      break;
  }
}

}  // namespace vellomar

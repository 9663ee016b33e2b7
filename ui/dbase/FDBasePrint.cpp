// Printing and the clipboard of the database window: the catalogue print, the folder tree, the
// file list, the disk names and the file lines, over the print layer.
#include <QPrinter>

#include "engine/api/UApi.h"
#include "ui/dbase/FDBase.h"
#include "ui/dbase/FFilePanel.h"
#include "ui/print/FAbortPrint.h"
#include "ui/print/FDiskPrint.h"
#include "ui/print/UClipboardText.h"
#include "ui/print/UListPrint.h"

namespace vellomar {
namespace {

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
    TFormDiskPrint print(form.catalogue(), form.shortName(), &form);
    print.exec();
  });
}

void printFiles(TFormDBase& form) {
  CatalogueGateway& catalogue = form.catalogue();
  form.Guarded([&] {
    RunListPrint(
        form.window(), true,
        [&](QPrinter& printer, const TPrintChoice& choice, TPrintStatus& status) {
          int32_t focused = 0;
          const std::vector<const TOneFileLine*> lines = fileLines(*form.filePanel(), focused);
          return PrintFileLines(printer, choice, form.options(), catalogue, lines, focused,
                                catalogue.currentDiskName(), catalogue.currentPath(), status);
        });
  });
}

void printTree(TFormDBase& form) {
  CatalogueGateway& catalogue = form.catalogue();
  form.Guarded([&] {
    RunListPrint(form.window(), true,
                 [&](QPrinter& printer, const TPrintChoice& choice, TPrintStatus& status) {
                   const bool subtree = choice.Range == TPrintRange::kSelection;
                   std::vector<TOneTreeLine> lines = CollectTreeLines(
                       catalogue.rootFolder(), subtree ? catalogue.currentFolder() : nullptr);
                   ComputeTreeCodes(lines);
                   return PrintTreeLines(printer, choice, form.options(), lines, form.shortName(),
                                         catalogue.currentDiskName(), status);
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
      Guarded([this] { CopyTextToClipboard(DiskNamesText(catalogue_)); });
      break;
    case kPanelFiles:
      Guarded([this] {
        int32_t focused = 0;
        const std::vector<const TOneFileLine*> lines = fileLines(*filePanel(), focused);
        CopyTextToClipboard(
            FileLinesText(catalogue_, lines, focused, options_.ShowSeconds, options_.SizeInKB));
      });
      break;
    default:
      break;
  }
}

}  // namespace vellomar

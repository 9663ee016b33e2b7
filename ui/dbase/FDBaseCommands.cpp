// The database window's entry points for the panels and for the commands of the other window
// families. Until those families fill them, each keeps the window consistent and does nothing
// visible.
#include "ui/dbase/FDBase.h"

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
void TFormDBase::EditLocalOptions() {}

// ---- Selection and clipboard ----

// ---- Search ----

void TFormDBase::FindFiles() {}
void TFormDBase::FindSelectedFiles() {}
void TFormDBase::FindFreeSpace() {}
void TFormDBase::FindFileName(const std::string&) {}

// ---- Printing, export, user commands ----

void TFormDBase::ExportDBase() {}
void TFormDBase::PrintSleevoraLabels() {}

}  // namespace vellomar

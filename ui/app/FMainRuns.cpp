// The main window's entry points into the runs and dialogs of other window families. Until
// those families fill them, each does nothing visible.
#include "ui/app/FMain.h"

namespace vellomar {

// ---- Compress, export, import and repair runs ----

void TMainForm::RunReindex(int, TDBase*, const std::string&) {}

void TMainForm::RunRepair(const std::string&, const std::string&) {}

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

#pragma once

#include <functional>
#include <string>

#include "ui/dbruns/UDBaseRuns.h"

class QWidget;

namespace vellomar {

class TDBase;

// What the File menu's commands on database files need of the main window.
struct DBaseFileCommands {
  QWidget* Parent = nullptr;
  // Whether a database window shows this file; that window comes to front.
  std::function<bool(const std::string& fileName)> IsOpen;
  // Where the file dialogs start; each choice moves it to the chosen file's folder.
  std::string* LastDir = nullptr;
  // Keep the old file when compressing (the program setting).
  bool BackupDBase = false;
};

// "Compress database...": a closed, writable database compressed in place.
void MenuReindexClick(const DBaseFileCommands& commands);
// "Repair database...": a closed database repaired into a new file.
void MenuRepairClick(const DBaseFileCommands& commands);
// "Export..." (kExport) and "Export to read-only database..." (kExportReadOnly): the active
// window's current or selected disks into a new database.
void MenuExportClick(const DBaseFileCommands& commands, TDBase* active, ReindexMode mode);
// "Import...": a closed database's disks into the active window's.
void MenuImportClick(const DBaseFileCommands& commands, TDBase* active);

}  // namespace vellomar

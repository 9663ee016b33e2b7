#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vellomar {

class TFormMoreOptions;
class TFormSearchFileDlg;
class TFormSettings;

// The user interface's process-wide variables, all in this one place. Each is global because
// windows that know nothing of each other read it: the settings dialog changes a switch and
// every window opened later, of whatever family, follows it.

// The four CD/DVD switches: set the moment their check boxes are clicked.
extern bool DisableAutorun;  // 1 at start
extern bool EjectAfterScan;  // 1 at start
extern bool ScanAfterInsert;
extern bool NoQueries;
// Widths of the database window's three columns (disks, tree, files).
extern int32_t HeaderWidth0;
extern int32_t HeaderWidth1;
extern int32_t HeaderWidth2;
// "Persistent selections": "Select all" on a fully selected list unselects it.
extern bool PersistentSelections;
// The drive dialog reads the volume names of the drives it lists.
extern bool ReadDriveNames;

// One hot key of "UserCmd.ini", bound to a function of a library.
struct TUserCommand {
  uint16_t wKey = 0;  // virtual-key code: 'A'..'Z', '0'..'9', 0x70..0x7B for F1..F12
  uint8_t bShift = 0;
  uint8_t bControl = 0;
  uint8_t bAlt = 0;
  std::string sDll;
  std::string sParams;
  uint8_t bTest = 0;
};

extern std::vector<std::unique_ptr<TUserCommand>> UserCommandList;
// The folder for temporary files; after the start-up, the program's private one in it.
extern std::string TempFolder;

// The dialogs made once at start, which every database window asks: the program settings that
// a new window takes, and the two search dialogs, which keep the last request from window to
// window. Null before they are made and after they are gone.
extern TFormSettings* FormSettings;
extern TFormSearchFileDlg* FormSearchFileDlg;
extern TFormMoreOptions* FormMoreOptions;

// The rest of the interface's process-wide state is sealed in the one unit that uses it: the
// desktop services that tests replace (UServices), the run's idle loops, close requests and
// window placements (UIdleLoop, UCloseRequest, UWindowPlacement), the progress context of the
// engine's context-free callbacks (UProgressContext), the one instance of each modal dialog
// (UDialogs, UScanDialogs, UDialogExec), the export's last folders (FExportRun), the printer
// (UPrinter), the private temporary folder (USideFiles) and the quit signal's sockets
// (UQuitSignal).

}  // namespace vellomar

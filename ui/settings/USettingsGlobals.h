#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vellomar {

// Program-wide switches that several windows read; the settings dialog changes them.

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

}  // namespace vellomar

#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "foundation/UIniFile.h"
#include "ui/settings/UGlobalOptions.h"

namespace vellomar {

// What the settings dialog holds: every program setting, read from and written to the
// program's INI file ("Vellomar.INI"). Values out of their range in the file take the
// defaults. The dialog (TFormSettings) shows and edits one of these.
struct ProgramSettings {
  // Display
  uint8_t SortCrit = 0;
  bool DetailedDisplay = false;
  bool ShowSize = true;
  bool ShowTime = true;
  bool ShowDescr = true;
  bool SizeInKB = true;  // INI SizeDisplay 1
  bool ShowIcons = true;
  bool ShowTree = true;
  bool ExpandTree = false;
  bool ShowSeconds = false;
  bool WinDateFormat = false;
  bool OneKbIs1024 = true;
  bool ShowFileHints = true;
  bool PersistentBlocks = true;
  // Fonts and print
  std::array<TLogFont, kFontCount> Fonts{};
  std::array<int32_t, kFontCount> FontSizes{};
  std::string PrintHeader;
  bool AdjustNameWidth = true;
  int32_t TopMargin = 15;
  int32_t BottomMargin = 15;
  int32_t LeftMargin = 15;
  int32_t RightMargin = 15;
  // General
  std::string AutoLoad;
  bool AutoLoadLast = true;
  bool FoundToNewWin = false;
  bool Autosave = false;
  bool BackupDBase = false;
  bool NotScanDriveNames = false;
  bool EnableShellExecute = false;
  // CD/DVD switches as the file holds them (the globals of USettingsGlobals.h are the live ones)
  bool DisableAutorun = true;
  bool EjectAfterScan = true;
  bool ScanAfterInsert = false;
  bool NoQueries = false;
  // Column widths of the database window; a width below 5 reads as 5.
  std::array<int32_t, 3> HeaderWidths{93, 152, 242};

  static constexpr int32_t kMinHeaderWidth = 5;
  static constexpr int32_t kMaxHeaderWidth = 10000;

  // The settings of a first start: no INI file, every font at 9 points, the CD/DVD switches
  // from their globals.
  static ProgramSettings defaults();
  // Reads [General], [Display], the font sections, [Print] and the column widths of
  // [Application]; keys that are missing or out of range take the defaults of the file.
  static ProgramSettings read(const IniFile& ini);
  // Writes [General], [Display], the six font sections and [Print].
  void write(IniFile& ini) const;
  // Writes the column widths into [Application].
  void writeHeaderWidths(IniFile& ini) const;

  // The snapshot a window takes, and the way back (the dialog shows a window's snapshot).
  void getOptions(TGlobalOptions& options) const;
  void setOptions(const TGlobalOptions& options);

  // Stores the column widths as the user left them; a tree column dragged to 0 keeps its last
  // width above 0, so showing the tree again brings it back.
  void storeHeaderWidths(int32_t disks, int32_t tree, int32_t files);

  friend bool operator==(const ProgramSettings&, const ProgramSettings&) = default;
};

// The INI sections of the six fonts, in slot order.
inline constexpr std::array<const char*, kFontCount> kFontSections = {
    "DiskPanel", "TreePanel", "FilePanel", "SearchWindow", "DescriptionWindow", "PrintPanel"};

// "MS Sans Serif, Default, 8, bold": the text of a font label in the dialog.
std::string FontLabelText(const TLogFont& font, int32_t size);

// The program's INI file name: "Vellomar.INI".
inline constexpr const char* kProgramIniName = "Vellomar.INI";

}  // namespace vellomar

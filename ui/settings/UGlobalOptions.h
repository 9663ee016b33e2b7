#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "ui/common/UFonts.h"

namespace vellomar {

// The six configurable fonts, in the order of TGlobalOptions::Fonts and of the INI sections.
enum FontSlot : int {
  kDiskFont = 0,
  kTreeFont = 1,
  kFileFont = 2,
  kFoundFont = 3,
  kDescFont = 4,
  kPrintFont = 5,
  kFontCount = 6
};

// A window's own snapshot of the display settings, filled from the settings dialog
// (TFormSettings::GetOptions) when the window is made and after the user confirmed the dialog
// while it was active.
struct TGlobalOptions {
  bool ShowTree = false;  // false whenever the tree column width is 0 or less
  bool ExpandTree = false;
  uint8_t SortCrit = 0;  // 0 name, 1 extension, 2 date and time, 3 size
  bool SizeInKB = false;
  uint8_t DisplayMode = 0;  // 0 names only in columns, 1 detailed lines
  bool ShowSize = false;
  bool ShowTime = false;
  bool ShowDescr = false;
  bool ShowIcons = false;
  bool ShowSeconds = false;
  bool WinDateFormat = false;
  bool OneKbIs1024 = false;
  bool ShowFileHints = false;
  bool ReverseSort = false;  // never set from the dialog; the windows toggle it
  std::array<TLogFont, kFontCount> Fonts{};
  std::array<int32_t, kFontCount> FontSizes{};
  std::string PrintHeader;  // empty: the default title
  bool AdjustNameWidth = false;
  int32_t TopMargin = 0;  // millimetres
  int32_t BottomMargin = 0;
  int32_t LeftMargin = 0;
  int32_t RightMargin = 0;
  std::string AutoLoad;
  bool AutoLoadLast = false;
  bool FoundToNewWin = false;
  bool Autosave = false;
  bool BackupDBase = false;
  bool PersistentBlocks = false;
  bool NotScanDriveNames = false;
  bool EnableShellExecute = false;
  int32_t MDIChildHeader0 = 0;  // widths of the database window's disk, tree and file columns
  int32_t MDIChildHeader1 = 0;
  int32_t MDIChildHeader2 = 0;

  friend bool operator==(const TGlobalOptions&, const TGlobalOptions&) = default;
};

}  // namespace vellomar

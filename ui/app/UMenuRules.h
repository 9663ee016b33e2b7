#pragma once

#include <QKeyCombination>
#include <cstdint>
#include <span>

namespace vellomar {

// Every command of the main menu and the toolbar.
enum class Command : uint8_t {
  // File
  New,
  OpenDBase,
  CloseDBase,
  Reindex,
  Repair,
  Export,
  MakeRuntime,
  ExportToOtherFormat,
  Import,
  PrintDisks,
  PrintTree,
  PrintFiles,
  PrintFoundFiles,
  PrintEmpty,
  Exit,
  // Edit
  Copy,
  DirDescr,
  ScanDisk,
  RescanDisk,
  ScanFolder,
  ScanA,
  ScanB,
  DelRecord,
  UndelRecord,
  ChgLabel,
  MaskSelectDisks,
  SelectAll,
  DelDiskSelection,
  // Search
  SearchName,
  SearchSelected,
  SearchEmpty,
  DiskInfo,
  DBaseInfo,
  // Options
  Config,
  LocalOptions,
  Brief,
  Detailed,
  SortName,
  SortExt,
  SortTime,
  SortSize,
  ShowTree,
  // Tools, Window, Help
  SleevoraPrint,
  ShowDBase,
  ShowFound,
  Tile,
  Cascade,
  NextWin,
  PrevWin,
  HelpContent,
  About,
  // Toolbar only
  PrintPanel,
  CollapseTree,
  ExpandTree,
  Parent,
};

// The state of the active MDI child that the enabling rules read, taken at each refresh.
struct MenuTerms {
  bool A = false;            // the active child is a database window
  bool W = false;            // A, and its database is not read-only
  bool D = false;            // A, and it shows at least one disk
  bool S = false;            // A, and its disk list or file list has the focus
  bool FF = false;           // the active child is a found-files list
  bool FE = false;           // the active child is a free-space list
  bool R = false;            // a result list of the active database window exists
  bool DA = false;           // drive A: is a removable drive
  bool DB = false;           // drive B: is a removable drive
  bool diskDeleted = false;  // A, and the current disk is deleted
  bool showTree = false;     // A, and the window shows its tree
  bool F() const { return FF || FE; }
};

// Whether a menu item (or, for the toolbar's own commands, a button) is enabled.
bool menuItemEnabled(Command command, const MenuTerms& terms);
// Whether the toolbar button of a command is enabled; its rules differ from the menu's for
// Print, Scan A:, Select and Unselect.
bool toolbarButtonEnabled(Command command, const MenuTerms& terms);

// One item of the main menu, in menu order. A separator item has no caption.
struct MenuItem {
  Command command;
  const char* name;     // the object name of the item
  const char* caption;  // with "&" before the access key
  QKeyCombination key;  // no key: Qt::Key_unknown
  // The submenu that holds the item (name, caption), or null for the menu itself.
  const char* submenuName = nullptr;
  const char* submenuCaption = nullptr;
};

// The items of each top-level menu, in order; separators are items with a null caption.
struct MenuDefinition {
  const char* name;
  const char* caption;
  std::span<const MenuItem> items;
};
std::span<const MenuDefinition> mainMenus();

// One toolbar button, left to right.
struct ToolButton {
  Command command;
  const char* name;
  const char* hint;
  const char* themeIcon;  // freedesktop icon name
  const char* glyph;      // our own glyph, used when the desktop's theme has no such icon
  bool checkable;
};
std::span<const ToolButton> toolbarButtons();

}  // namespace vellomar

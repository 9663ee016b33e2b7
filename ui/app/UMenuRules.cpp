#include "ui/app/UMenuRules.h"

namespace vellomar {

namespace {

constexpr QKeyCombination kNoKey = QKeyCombination(Qt::Key_unknown);

#define ITEM(command, name, caption, key) \
  MenuItem {                              \
    Command::command, name, caption, key  \
  }
#define PRINT_ITEM(command, name, caption)                         \
  MenuItem {                                                       \
    Command::command, name, caption, kNoKey, "MenuPrint", "&Print" \
  }
#define SEPARATOR                           \
  MenuItem {                                \
    Command::Exit, nullptr, nullptr, kNoKey \
  }

constexpr MenuItem kFileItems[] = {
    ITEM(New, "MenuNew", "&New database...", kNoKey),
    ITEM(OpenDBase, "MenuOpenDBase", "&Open database...", kNoKey),
    ITEM(CloseDBase, "MenuCloseDBase", "&Close database", kNoKey),
    SEPARATOR,
    ITEM(Reindex, "MenuReindex", "Co&mpress database...", kNoKey),
    ITEM(Repair, "MenuRepair", "Repair database...", kNoKey),
    SEPARATOR,
    ITEM(Export, "MenuExport", "&Export...", kNoKey),
    ITEM(MakeRuntime, "MenuMakeRuntime", "Export to read-only database...", kNoKey),
    ITEM(ExportToOtherFormat, "MenuExportToOtherFormat", "Export to other format...", kNoKey),
    ITEM(Import, "MenuImport", "&Import...", kNoKey),
    SEPARATOR,
    PRINT_ITEM(PrintDisks, "MenuPrintDisks", "Print &disks..."),
    PRINT_ITEM(PrintTree, "MenuPrintTree", "Print &tree..."),
    PRINT_ITEM(PrintFiles, "MenuPrintFiles", "Print &files..."),
    PRINT_ITEM(PrintFoundFiles, "MenuPrintFoundFiles", "Print f&ound files..."),
    PRINT_ITEM(PrintEmpty, "MenuPrintEmpty", "Print found free &space..."),
    ITEM(Exit, "MenuExit", "E&xit", kNoKey),
};

constexpr MenuItem kEditItems[] = {
    ITEM(Copy, "MenuCopy", "&Copy", Qt::CTRL | Qt::Key_C),
    ITEM(DirDescr, "MenuDirDescr", "&Description...", QKeyCombination(Qt::Key_F2)),
    SEPARATOR,
    ITEM(ScanDisk, "MenuScanDisk", "&Scan disk...", QKeyCombination(Qt::Key_F4)),
    ITEM(RescanDisk, "MenuRescanDisk", "Rescan current dis&k...", Qt::SHIFT | Qt::Key_F4),
    ITEM(ScanFolder, "MenuScanFolder", "Scan &folder as disk...", kNoKey),
    ITEM(ScanA, "MenuScanA", "Scan &A:", kNoKey),
    ITEM(ScanB, "MenuScanB", "Scan &B:", kNoKey),
    SEPARATOR,
    ITEM(DelRecord, "MenuDelRecord", "De&lete disk", QKeyCombination(Qt::Key_Delete)),
    ITEM(UndelRecord, "MenuUndelRecord", "&Undelete disk", Qt::CTRL | Qt::Key_Z),
    ITEM(ChgLabel, "MenuChgLabel", "&Rename disk...", QKeyCombination(Qt::Key_F6)),
    SEPARATOR,
    ITEM(MaskSelectDisks, "MenuMaskSelectDisks", "Selec&t disks/files...", Qt::CTRL | Qt::Key_D),
    ITEM(SelectAll, "MenuSelectAll", "S&elect all", Qt::CTRL | Qt::Key_A),
    ITEM(DelDiskSelection, "MenuDelDiskSelection", "U&nselect disks/files", Qt::CTRL | Qt::Key_U),
};

constexpr MenuItem kSearchItems[] = {
    ITEM(SearchName, "MenuSearchName", "&Find files...", QKeyCombination(Qt::Key_F3)),
    ITEM(SearchSelected, "MenuSearchSelected", "Find &selected files", Qt::CTRL | Qt::Key_F3),
    ITEM(SearchEmpty, "MenuSearchEmpty", "&List free space...", Qt::SHIFT | Qt::Key_F3),
    SEPARATOR,
    ITEM(DiskInfo, "MenuDiskInfo", "Disk &information...", Qt::CTRL | Qt::Key_I),
    ITEM(DBaseInfo, "MenuDBaseInfo", "Data&base information...", Qt::CTRL | Qt::Key_L),
};

constexpr MenuItem kOptionsItems[] = {
    ITEM(Config, "MenuConfig", "&Program settings...", QKeyCombination(Qt::Key_F8)),
    ITEM(LocalOptions, "MenuLocalOptions", "Data&base settings...", QKeyCombination(Qt::Key_F9)),
    SEPARATOR,
    ITEM(Brief, "MenuBrief", "&File names only", Qt::SHIFT | Qt::Key_F11),
    ITEM(Detailed, "MenuDetailed", "Deta&iled display", Qt::SHIFT | Qt::Key_F12),
    SEPARATOR,
    ITEM(SortName, "MenuSortName", "Sort by &name", Qt::SHIFT | Qt::Key_F3),
    ITEM(SortExt, "MenuSortExt", "Sort by &extension", Qt::SHIFT | Qt::Key_F4),
    ITEM(SortTime, "MenuSortTime", "Sort by &date and time", Qt::SHIFT | Qt::Key_F5),
    ITEM(SortSize, "MenuSortSize", "Sort by &size", Qt::SHIFT | Qt::Key_F6),
    SEPARATOR,
    ITEM(ShowTree, "MenuShowTree", "Show &tree", QKeyCombination(Qt::Key_F12)),
};

constexpr MenuItem kToolsItems[] = {
    ITEM(SleevoraPrint, "MenuSleevoraPrint", "Print labels for Sleevora boxes...", kNoKey),
};

constexpr MenuItem kWindowItems[] = {
    ITEM(ShowDBase, "MenuShowDBase", "With &database", kNoKey),
    ITEM(ShowFound, "MenuShowFound", "With &found items", kNoKey),
    SEPARATOR,
    ITEM(Tile, "MenuTile", "&Tile", kNoKey),
    ITEM(Cascade, "MenuCascade", "&Cascade", kNoKey),
    ITEM(NextWin, "MenuNextWin", "&Next", kNoKey),
    ITEM(PrevWin, "MenuPrevWin", "&Previous", kNoKey),
};

constexpr MenuItem kHelpItems[] = {
    ITEM(HelpContent, "MenuHelpContent", "Help &contents", kNoKey),
    ITEM(About, "MenuAbout", "&About this program...", kNoKey),
};

#undef ITEM
#undef SEPARATOR
#undef PRINT_ITEM

constexpr MenuDefinition kMenus[] = {
    {"MenuFile", "&File", kFileItems},       {"MenuEdit", "&Edit", kEditItems},
    {"MenuSearch", "&Search", kSearchItems}, {"MenuOptions", "&Options", kOptionsItems},
    {"MenuTools", "T&ools", kToolsItems},    {"MenuWindow", "&Window", kWindowItems},
    {"MenuHelp", "&Help", kHelpItems},
};

constexpr ToolButton kButtons[] = {
    {Command::OpenDBase, "SpeedButtonOpenDBase", "Open database...", "document-open", "open",
     false},
    {Command::PrintPanel, "SpeedButtonPrint", "Print...", "document-print", "print", false},
    {Command::ScanA, "SpeedButtonScanA", "Scan A:", "media-floppy", "scan-a", false},
    {Command::ScanDisk, "SpeedButtonScanDisk", "Scan disk...", "drive-optical", "scan-disk", false},
    {Command::SearchName, "SpeedButtonSearchFile", "Find files...", "edit-find", "find", false},
    {Command::SearchSelected, "SpeedButtonSearchSelected", "Find selected files", "",
     "find-selected", false},
    {Command::SearchEmpty, "SpeedButtonSearchEmpty", "List free space...", "", "free-space", false},
    {Command::ShowFound, "SpeedButtonShowFound", "Show window with found items", "", "show-found",
     false},
    {Command::ShowDBase, "SpeedButtonShowDBase", "Show window with database", "", "show-dbase",
     false},
    {Command::DiskInfo, "SpeedButtonDiskInfo", "Disk information...", "dialog-information",
     "disk-info", false},
    {Command::DirDescr, "SpeedButtonDirDescr", "Description...", "document-edit", "description",
     false},
    {Command::ShowTree, "SpeedButtonShowTree", "Show tree", "", "tree", true},
    {Command::CollapseTree, "SpeedButtonCollapse", "Collapse tree", "", "collapse", false},
    {Command::ExpandTree, "SpeedButtonExpand", "Expand tree", "", "expand", false},
    {Command::Parent, "SpeedButtonParent", "Go to parent folder", "go-up", "parent", false},
    {Command::Brief, "SpeedButtonBrief", "File names only", "view-list-icons", "brief", true},
    {Command::Detailed, "SpeedButtonDetailed", "Detailed display", "view-list-details", "detailed",
     true},
    {Command::MaskSelectDisks, "SpeedButtonSelect", "Select disks/files...", "", "select", false},
    {Command::DelDiskSelection, "SpeedButtonUnselect", "Unselect disks/files", "", "unselect",
     false},
};

}  // namespace

bool menuItemEnabled(Command command, const MenuTerms& t) {
  switch (command) {
    case Command::New:
    case Command::OpenDBase:
    case Command::Reindex:
    case Command::Repair:
    case Command::Exit:
    case Command::Config:
    case Command::SleevoraPrint:
    case Command::Tile:
    case Command::Cascade:
    case Command::NextWin:
    case Command::PrevWin:
    case Command::HelpContent:
    case Command::About:
      return true;
    case Command::CloseDBase:
    case Command::DBaseInfo:
    case Command::LocalOptions:
    case Command::Parent:
      return t.A;
    case Command::Export:
    case Command::MakeRuntime:
    case Command::Import:
    case Command::ScanDisk:
    case Command::ScanFolder:
      return t.W;
    case Command::ExportToOtherFormat:
      return t.W || t.F();
    case Command::PrintDisks:
    case Command::PrintTree:
    case Command::PrintFiles:
    case Command::DirDescr:
    case Command::SearchName:
    case Command::SearchSelected:
    case Command::SearchEmpty:
    case Command::DiskInfo:
    case Command::Brief:
    case Command::Detailed:
    case Command::SortName:
    case Command::SortExt:
    case Command::SortTime:
    case Command::SortSize:
    case Command::ShowTree:
      return t.D;
    case Command::PrintFoundFiles:
      return t.FF;
    case Command::PrintEmpty:
      return t.FE;
    case Command::PrintPanel:
      return t.D || t.F();
    case Command::Copy:
    case Command::SelectAll:
    case Command::DelDiskSelection:
      return t.S || t.F();
    case Command::MaskSelectDisks:
      return t.S;
    case Command::RescanDisk:
    case Command::DelRecord:
    case Command::ChgLabel:
      return t.W && t.D;
    case Command::UndelRecord:
      return t.W && t.D && t.diskDeleted;
    case Command::ScanA:
      return t.W && t.DA;
    case Command::ScanB:
      return t.W && t.DB;
    case Command::ShowDBase:
      return t.F();
    case Command::ShowFound:
      return t.R;
    case Command::CollapseTree:
    case Command::ExpandTree:
      return t.A && t.showTree;
  }
  return false;
}

bool toolbarButtonEnabled(Command command, const MenuTerms& t) {
  switch (command) {
    case Command::ShowTree:
    case Command::Brief:
    case Command::Detailed:
      return t.A;
    default:
      return menuItemEnabled(command, t);
  }
}

std::span<const MenuDefinition> mainMenus() {
  return kMenus;
}

std::span<const ToolButton> toolbarButtons() {
  return kButtons;
}

}  // namespace vellomar

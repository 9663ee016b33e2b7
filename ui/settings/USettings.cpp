#include "ui/settings/USettings.h"

#include "ui/settings/USettingsGlobals.h"

namespace vellomar {

namespace {

constexpr std::array<int32_t, kFontCount> kFileFontSizes = {8, 9, 8, 8, 8, 9};
constexpr int32_t kMinFontSize = 6;
constexpr int32_t kMaxFontSize = 24;

// The integer of the key when it lies in min..max, else def.
int32_t readRange(const IniFile& ini, const char* section, const char* key, int32_t def,
                  int32_t min, int32_t max) {
  return ini.readInteger(section, key, def, min, max);
}

// The switches of [General] and [Display] with their defaults when the key is missing.
struct BoolKey {
  const char* section;
  const char* key;
  bool ProgramSettings::*member;
  bool byDefault;
};

constexpr BoolKey kBoolKeys[] = {
    {"General", "Autosave", &ProgramSettings::Autosave, false},
    {"General", "FoundToNewWin", &ProgramSettings::FoundToNewWin, false},
    {"General", "BackupDBase", &ProgramSettings::BackupDBase, false},
    {"General", "NotScanDriveNames", &ProgramSettings::NotScanDriveNames, false},
    {"General", "EnableShellExecute", &ProgramSettings::EnableShellExecute, false},
    {"General", "AutoLoadLast", &ProgramSettings::AutoLoadLast, true},
    {"General", "DisableAutorun", &ProgramSettings::DisableAutorun, true},
    {"General", "EjectAfterScan", &ProgramSettings::EjectAfterScan, true},
    {"General", "ScanAfterInsert", &ProgramSettings::ScanAfterInsert, false},
    {"General", "NoQueries", &ProgramSettings::NoQueries, false},
    {"Display", "ShowTree", &ProgramSettings::ShowTree, true},
    {"Display", "ExpandTree", &ProgramSettings::ExpandTree, false},
    {"Display", "DetailedDisplay", &ProgramSettings::DetailedDisplay, false},
    {"Display", "ShowSize", &ProgramSettings::ShowSize, true},
    {"Display", "ShowTime", &ProgramSettings::ShowTime, true},
    {"Display", "ShowDescr", &ProgramSettings::ShowDescr, true},
    {"Display", "ShowSeconds", &ProgramSettings::ShowSeconds, false},
    {"Display", "ShowIcons", &ProgramSettings::ShowIcons, true},
    {"Display", "WinDateFormat", &ProgramSettings::WinDateFormat, false},
    {"Display", "OneKbIs1024", &ProgramSettings::OneKbIs1024, true},
    {"Display", "ShowFileHints", &ProgramSettings::ShowFileHints, true},
    {"Display", "PersistentBlocks", &ProgramSettings::PersistentBlocks, true},
    {"Print", "AdjustNameWidth", &ProgramSettings::AdjustNameWidth, true},
};

// The margins of [Print] in millimetres: default 15, at most max.
struct MarginKey {
  const char* key;
  int32_t ProgramSettings::*member;
  int32_t max;
};

constexpr MarginKey kMarginKeys[] = {
    {"TopMargin", &ProgramSettings::TopMargin, 100},
    {"BottomMargin", &ProgramSettings::BottomMargin, 100},
    {"LeftMargin", &ProgramSettings::LeftMargin, 50},
    {"RightMargin", &ProgramSettings::RightMargin, 50},
};

const char* defaultFace(int slot) {
  return slot == kPrintFont ? "Arial" : "MS Sans Serif";
}

}  // namespace

ProgramSettings ProgramSettings::defaults() {
  ProgramSettings s;
  for (int i = 0; i < kFontCount; ++i) {
    s.FontSizes[i] = 9;
    MakeLogFont(s.Fonts[i], defaultFace(i), 9, "Default", false, false);
  }
  s.DisableAutorun = vellomar::DisableAutorun;
  s.EjectAfterScan = vellomar::EjectAfterScan;
  s.ScanAfterInsert = vellomar::ScanAfterInsert;
  s.NoQueries = vellomar::NoQueries;
  return s;
}

ProgramSettings ProgramSettings::read(const IniFile& ini) {
  ProgramSettings s;
  for (const BoolKey& k : kBoolKeys) s.*k.member = ini.readBool(k.section, k.key, k.byDefault);
  s.AutoLoad = ini.readString("General", "AutoLoad", "");
  s.SortCrit = static_cast<uint8_t>(readRange(ini, "Display", "SortCrit", 0, 0, 3));
  s.SizeInKB = readRange(ini, "Display", "SizeDisplay", 1, 0, 1) == 1;

  for (int i = 0; i < kFontCount; ++i) {
    const char* section = kFontSections[i];
    s.FontSizes[i] =
        readRange(ini, section, "FontSize", kFileFontSizes[i], kMinFontSize, kMaxFontSize);
    std::string face = ini.readString(section, "FontName", defaultFace(i));
    if (face.empty()) face = defaultFace(i);
    MakeLogFont(s.Fonts[i], face, s.FontSizes[i], ini.readString(section, "FontScript", "Default"),
                ini.readBool(section, "Italic", false), ini.readBool(section, "Bold", false));
  }

  for (const MarginKey& k : kMarginKeys) s.*k.member = readRange(ini, "Print", k.key, 15, 0, k.max);
  s.PrintHeader = ini.readString("Print", "Header", "");

  constexpr std::array<int32_t, 3> kDefaultWidths = {93, 152, 242};
  for (int i = 0; i < 3; ++i) {
    const std::string key = "MDIChildHeader" + std::to_string(i);
    const int32_t w = ini.readInteger("Application", key, kDefaultWidths[i]);
    s.HeaderWidths[i] = w > kMaxHeaderWidth ? kDefaultWidths[i] : std::max(w, kMinHeaderWidth);
  }
  return s;
}

void ProgramSettings::write(IniFile& ini) const {
  for (const BoolKey& k : kBoolKeys) ini.writeBool(k.section, k.key, this->*k.member);
  ini.writeString("General", "AutoLoad", AutoLoad);
  ini.writeInteger("Display", "SortCrit", SortCrit);
  ini.writeInteger("Display", "SizeDisplay", SizeInKB ? 1 : 0);

  for (int i = 0; i < kFontCount; ++i) {
    const char* section = kFontSections[i];
    ini.writeString(section, "FontName", Fonts[i].lfFaceName);
    ini.writeString(section, "FontScript", CharsetToName(Fonts[i].lfCharSet));
    ini.writeInteger(section, "FontSize", FontSizes[i]);
    ini.writeBool(section, "Bold", Fonts[i].lfWeight == 700);
    ini.writeBool(section, "Italic", Fonts[i].lfItalic != 0);
  }

  for (const MarginKey& k : kMarginKeys) ini.writeInteger("Print", k.key, this->*k.member);
  ini.writeString("Print", "Header", PrintHeader);
}

void ProgramSettings::writeHeaderWidths(IniFile& ini) const {
  for (int i = 0; i < 3; ++i)
    ini.writeInteger("Application", "MDIChildHeader" + std::to_string(i), HeaderWidths[i]);
}

void ProgramSettings::getOptions(TGlobalOptions& o) const {
  o.ShowTree = ShowTree && HeaderWidths[1] > 0;
  o.ExpandTree = ExpandTree;
  o.SortCrit = SortCrit;
  o.SizeInKB = SizeInKB;
  o.DisplayMode = DetailedDisplay ? 1 : 0;
  o.ShowSize = ShowSize;
  o.ShowTime = ShowTime;
  o.ShowDescr = ShowDescr;
  o.ShowIcons = ShowIcons;
  o.ShowSeconds = ShowSeconds;
  o.WinDateFormat = WinDateFormat;
  o.OneKbIs1024 = OneKbIs1024;
  o.ShowFileHints = ShowFileHints;
  o.ReverseSort = false;
  o.Fonts = Fonts;
  o.FontSizes = FontSizes;
  o.PrintHeader = PrintHeader;
  o.AdjustNameWidth = AdjustNameWidth;
  o.TopMargin = TopMargin;
  o.BottomMargin = BottomMargin;
  o.LeftMargin = LeftMargin;
  o.RightMargin = RightMargin;
  o.AutoLoad = AutoLoad;
  o.AutoLoadLast = AutoLoadLast;
  o.FoundToNewWin = FoundToNewWin;
  o.Autosave = Autosave;
  o.BackupDBase = BackupDBase;
  o.PersistentBlocks = PersistentBlocks;
  o.NotScanDriveNames = NotScanDriveNames;
  o.EnableShellExecute = EnableShellExecute;
  o.MDIChildHeader0 = HeaderWidths[0];
  o.MDIChildHeader1 = HeaderWidths[1];
  o.MDIChildHeader2 = HeaderWidths[2];
}

void ProgramSettings::setOptions(const TGlobalOptions& o) {
  SortCrit = o.SortCrit <= 3 ? o.SortCrit : 0;
  DetailedDisplay = o.DisplayMode == 1;
  ShowSize = o.ShowSize;
  ShowTime = o.ShowTime;
  ShowDescr = o.ShowDescr;
  ShowIcons = o.ShowIcons;
  ShowSeconds = o.ShowSeconds;
  SizeInKB = o.SizeInKB;
  ShowFileHints = o.ShowFileHints;
  WinDateFormat = o.WinDateFormat;
  OneKbIs1024 = o.OneKbIs1024;
  ShowTree = o.ShowTree && o.MDIChildHeader1 > 0;
  ExpandTree = o.ExpandTree;
  Fonts = o.Fonts;
  FontSizes = o.FontSizes;
  Autosave = o.Autosave;
  FoundToNewWin = o.FoundToNewWin;
  TopMargin = o.TopMargin;
  BottomMargin = o.BottomMargin;
  LeftMargin = o.LeftMargin;
  RightMargin = o.RightMargin;
  PrintHeader = o.PrintHeader;
  AdjustNameWidth = o.AdjustNameWidth;
  HeaderWidths = {o.MDIChildHeader0, o.MDIChildHeader1, o.MDIChildHeader2};
  AutoLoad = o.AutoLoad;
  AutoLoadLast = o.AutoLoadLast;
  BackupDBase = o.BackupDBase;
  PersistentBlocks = o.PersistentBlocks;
  NotScanDriveNames = o.NotScanDriveNames;
  EnableShellExecute = o.EnableShellExecute;
}

void ProgramSettings::storeHeaderWidths(int32_t disks, int32_t tree, int32_t files) {
  HeaderWidths[0] = disks;
  if (tree > 0) HeaderWidths[1] = tree;
  HeaderWidths[2] = files;
}

std::string FontLabelText(const TLogFont& font, int32_t size) {
  std::string text =
      font.lfFaceName + ", " + CharsetToName(font.lfCharSet) + ", " + std::to_string(size);
  if (font.lfWeight == 700) text += ", bold";
  if (font.lfItalic != 0) text += ", italics";
  return text;
}

}  // namespace vellomar

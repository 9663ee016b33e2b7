#include "ui/settings/FSettings.h"

#include <sys/stat.h>

#include "engine/UApiTypes.h"
#include "foundation/UBaseUtils.h"
#include "ui/settings/USettingsGlobals.h"

namespace vellomar {

TFormSettings* FormSettings = nullptr;

namespace {

bool fileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

TFormSettings::TFormSettings(std::string iniPath, QWidget* parent)
    : QDialog(parent), iniPath_(std::move(iniPath)) {
  setWindowTitle(QStringLiteral("Program Settings"));
  FormSettings = this;
  LoadSettings();
}

TFormSettings::~TFormSettings() {
  if (settings_.Autosave) SaveSettings();
  if (FormSettings == this) FormSettings = nullptr;
}

void TFormSettings::SetOptions(const TGlobalOptions& options) {
  settings_.setOptions(options);
  HeaderWidth0 = options.MDIChildHeader0;
  HeaderWidth1 = options.MDIChildHeader1;
  HeaderWidth2 = options.MDIChildHeader2;
}

void TFormSettings::GetOptions(TGlobalOptions& options) {
  settings_.getOptions(options);
  DateOrder = settings_.WinDateFormat ? 3 : LocaleDateOrder;
  KiloUnit = settings_.OneKbIs1024 ? 1024 : 1000;
  HeaderWidth0 = settings_.HeaderWidths[0];
  HeaderWidth1 = settings_.HeaderWidths[1];
  HeaderWidth2 = settings_.HeaderWidths[2];
}

void TFormSettings::ApplyDisplayGlobals() {
  FormatOptions.SortCrit = settings_.SortCrit;
  FormatOptions.SizeInKB = settings_.SizeInKB;
  FormatOptions.ShowSeconds = settings_.ShowSeconds;
  FormatOptions.Reverse = false;
}

void TFormSettings::LoadSettings() {
  if (fileExists(iniPath_)) {
    settings_ = ProgramSettings::read(IniFile::load(iniPath_));
    DisableAutorun = settings_.DisableAutorun;
    EjectAfterScan = settings_.EjectAfterScan;
    ScanAfterInsert = settings_.ScanAfterInsert;
    NoQueries = settings_.NoQueries;
  } else {
    settings_ = ProgramSettings::defaults();
  }
  PersistentSelections = settings_.PersistentBlocks;
  ReadDriveNames = !settings_.NotScanDriveNames;
  HeaderWidth0 = settings_.HeaderWidths[0];
  HeaderWidth1 = settings_.HeaderWidths[1];
  HeaderWidth2 = settings_.HeaderWidths[2];
}

void TFormSettings::SaveSettings() {
  if (!mayWriteFile(iniPath_)) return;
  settings_.DisableAutorun = DisableAutorun;
  settings_.EjectAfterScan = EjectAfterScan;
  settings_.ScanAfterInsert = ScanAfterInsert;
  settings_.NoQueries = NoQueries;
  IniFile ini = IniFile::load(iniPath_);
  settings_.write(ini);
  ini.save(iniPath_);
}

}  // namespace vellomar

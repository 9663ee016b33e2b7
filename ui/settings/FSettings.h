#pragma once

#include <QDialog>
#include <string>

#include "ui/settings/UGlobalOptions.h"
#include "ui/settings/USettings.h"

namespace vellomar {

// The program settings dialog ("Program Settings"). It holds the live settings of the run: it
// reads the program's INI file when made and writes it on Save and, with "Save settings
// automatically at program end" on, when destroyed. Each window takes its own snapshot of the
// display settings through GetOptions. One instance, made right after the main window.
class TFormSettings : public QDialog {
  Q_OBJECT
 public:
  // iniPath: the program's INI file.
  explicit TFormSettings(std::string iniPath, QWidget* parent = nullptr);
  ~TFormSettings() override;

  // Shows a window's snapshot (the dialog then edits it).
  void SetOptions(const TGlobalOptions& options);
  // Fills a window's snapshot and updates the size and date formatters and the column-width
  // globals.
  void GetOptions(TGlobalOptions& options);
  // The display settings the export code reads (sort, size in kB, seconds).
  void ApplyDisplayGlobals();

  void LoadSettings();
  void SaveSettings();

  const ProgramSettings& settings() const { return settings_; }
  ProgramSettings& settings() { return settings_; }
  const std::string& iniPath() const { return iniPath_; }

 private:
  std::string iniPath_;
  ProgramSettings settings_;
};

// The run's settings dialog; null before it is made and after it is gone.
extern TFormSettings* FormSettings;

}  // namespace vellomar

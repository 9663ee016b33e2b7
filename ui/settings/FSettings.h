#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "ui/settings/UGlobalOptions.h"
#include "ui/settings/USettings.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace vellomar {

// The program settings dialog ("Program Settings"). It holds the live settings of the run: it
// reads the program's INI file when made and writes it on Save and, with "Save settings
// automatically at program end" on, when destroyed. Each window takes its own snapshot of the
// display settings through GetOptions. One instance, made right after the main window. Its
// controls carry the names of the settings (findChild by object name).
class TFormSettings : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 290;

  // iniPath: the program's INI file.
  explicit TFormSettings(std::string iniPath, QWidget* parent = nullptr);
  ~TFormSettings() override;

  // Takes a window's snapshot as the settings (the dialog then shows and edits it).
  void SetOptions(const TGlobalOptions& options);
  // Fills a window's snapshot and updates the size and date formatters and the column-width
  // globals.
  void GetOptions(TGlobalOptions& options);
  // The display settings the export code reads (sort, size in kB, seconds).
  void ApplyDisplayGlobals();

  void LoadSettings();
  // Writes the INI file when it may be written; nothing is reported otherwise.
  void SaveSettings();

  const ProgramSettings& settings() const { return settings_; }
  ProgramSettings& settings() { return settings_; }
  const std::string& iniPath() const { return iniPath_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void buildDisplayPage(QWidget* page);
  void buildFontsPage(QWidget* page);
  void buildPrintPage(QWidget* page);
  void buildCdPage(QWidget* page);
  void buildOtherPage(QWidget* page);
  QCheckBox* checkBox(QWidget* parent, const char* name, const char* caption);
  // Controls from the settings, and back.
  void loadControls();
  void storeControls();
  void refreshFontLabels();
  void updateEnabling();
  void changeFont(int slot);
  // What OK and Save both do after storing the controls.
  void copySwitches();

  std::string iniPath_;
  ProgramSettings settings_;
  // The fonts as the dialog edits them; they become the settings on OK or Save only.
  std::array<TLogFont, kFontCount> fonts_{};
  std::array<int32_t, kFontCount> fontSizes_{};

  QTabWidget* notebook_ = nullptr;
  QButtonGroup* sortCrit_ = nullptr;
  QRadioButton* brief_ = nullptr;
  QRadioButton* detailed_ = nullptr;
  QCheckBox* showSize_ = nullptr;
  QCheckBox* showTime_ = nullptr;
  QCheckBox* showDescr_ = nullptr;
  QWidget* sizeDisplayBox_ = nullptr;
  QButtonGroup* sizeDisplay_ = nullptr;
  QCheckBox* showIcons_ = nullptr;
  QCheckBox* showTree_ = nullptr;
  QCheckBox* expandTree_ = nullptr;
  QCheckBox* showSeconds_ = nullptr;
  QCheckBox* winDateFormat_ = nullptr;
  QCheckBox* oneKbIs1024_ = nullptr;
  QCheckBox* showFileHints_ = nullptr;
  std::array<QLabel*, kFontCount> fontLabels_{};
  QLineEdit* printHeader_ = nullptr;
  QSpinBox* topMargin_ = nullptr;
  QSpinBox* bottomMargin_ = nullptr;
  QSpinBox* leftMargin_ = nullptr;
  QSpinBox* rightMargin_ = nullptr;
  QCheckBox* adjustNameWidth_ = nullptr;
  QCheckBox* ejectAfterScan_ = nullptr;
  QCheckBox* scanAfterInsert_ = nullptr;
  QCheckBox* noQueries_ = nullptr;
  QCheckBox* disableAutorun_ = nullptr;
  QLineEdit* autoLoad_ = nullptr;
  QPushButton* browse_ = nullptr;
  QCheckBox* openLastOpened_ = nullptr;
  QCheckBox* foundToNewWin_ = nullptr;
  QCheckBox* autoSave_ = nullptr;
  QCheckBox* backupDBase_ = nullptr;
  QCheckBox* notScanDriveNames_ = nullptr;
  QCheckBox* enableShellExecute_ = nullptr;
  QCheckBox* persistentBlocks_ = nullptr;
};

}  // namespace vellomar

#pragma once

#include <QDialog>
#include <string>

#include "platform/PDrives.h"

class QCheckBox;
class QListWidget;

namespace vellomar {

class IniFile;

// "Scan disk:": the drive or drives to scan, from the drive list built at each showing. The
// position chosen last is kept (also in the program's INI file) and offered again.
class TFormSelectDrive : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 110;

  explicit TFormSelectDrive(QWidget* parent = nullptr,
                            const DriveTable& drives = processDriveTable());

  // Bounds and position from [ScanDiskWindow]; written back at the end of the run.
  void LoadWindowPos(const IniFile& ini);
  // The letters of the chosen items, top to bottom (multiple selection), or of the current one.
  std::string SelectedLetters() const;

  QListWidget* ListBoxDrives = nullptr;
  QCheckBox* CheckBoxNoQueries = nullptr;
  int Position = 0;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ButtonOKClick();
  bool multipleSelection() const;
  int firstSelectedRow() const;

  const DriveTable& drives_;
};

}  // namespace vellomar

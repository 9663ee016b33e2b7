#pragma once

#include <QDialog>
#include <string>

#include "platform/PDrives.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace vellomar {

class TFormSelectFolder;

// "Scan Folder As Disk" (new-disk mode) and "Rescan Disk": a folder given by its drive letter
// and path, and the disk name it is saved under.
class TFormScanFolder : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kHelpContextNew = 116;
  static constexpr int kHelpContextRescan = 115;

  // browser: the folder browser that "Browse folder..." shows.
  TFormScanFolder(TFormSelectFolder& browser, QWidget* parent = nullptr,
                  const DriveTable& drives = processDriveTable());

  // True: a new disk; false: a rescan, whose disk name cannot be edited.
  void SetScanMode(bool newDisk);
  // The folder field shows a folder "X:\..." as the user reads it, its Linux path; what is
  // typed there is taken back in the program's form.
  void SetFolder(const std::string& folder);

  QLabel* LabelScanFolder = nullptr;
  QLineEdit* EditFolder = nullptr;
  QPushButton* ButtonBrowseFolder = nullptr;
  QLabel* LabelSaveIt = nullptr;
  QLineEdit* EditDiskName = nullptr;
  QPushButton* ButtonCreateDiskName = nullptr;
  QPushButton* ButtonOK = nullptr;

  bool ScanNewDisk = true;
  std::string ShownFolder;  // the folder field at the showing, in the program's form
  // The results, set by OK.
  std::string ScanPath;
  std::string VolumeLabel;
  std::string DiskName;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::string folderText() const;
  void updateOK();
  void ButtonBrowseFolderClick();
  void ButtonCreateDiskNameClick();
  void ButtonOKClick();

  TFormSelectFolder& browser_;
  const DriveTable& drives_;
};

}  // namespace vellomar

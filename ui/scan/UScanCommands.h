#pragma once

#include <string>

#include "engine/api/UApi.h"
#include "ui/common/UCatalogueGateway.h"
#include "ui/drives/UDrives.h"
#include "ui/scan/UScanRequest.h"

namespace vellomar {

// The answers of a Yes/No/Cancel question.
enum class ScanAnswer { kYes, kNo, kCancel };

// What the scanning commands ask of the database window and its dialogs.
class ScanWindow {
 public:
  virtual ~ScanWindow() = default;
  // The name dialog: false unless closed with OK; name is its edit field in and out.
  virtual bool askDiskName(const std::string& caption, const std::string& generatedName,
                           std::string& name, bool& usedGenerated) = 0;
  // The rescan mode of the folder dialog; false unless closed with OK.
  virtual bool askRescanFolder(const std::string& folder, const std::string& diskName,
                               std::string& scanPath, std::string& volumeLabel) = 0;
  virtual ScanAnswer askWarning(const std::string& caption, const std::string& text) = 0;
  virtual void showError(const std::string& text) = 0;
  // Shows the scan progress dialog; what this showing's scan returned.
  virtual bool runScan(const ScanRequest& request) = 0;
  // The one write failure the window reports itself (then it is given back the view it had).
  virtual void showWriteError() = 0;
  virtual std::string focusedName() = 0;
  virtual void jumpTo(const std::string& diskName, const std::string& folder,
                      const std::string& name) = 0;
  // While set, the window neither polls the engine nor rebuilds its tree.
  virtual void setScanRunning(bool running) = 0;
};

// The front end of scanning a drive or a folder into the database of one window: the disk's
// name, its volume label, replacing a disk of the same name, the scan and the save.
class ScanCommands {
 public:
  // options: the window's copy of the database settings, kept in step with the file.
  ScanCommands(CatalogueGateway& catalogue, TLocalOptions& options, ScanWindow& window,
               const DriveTable& drives = processDriveTable())
      : catalogue_(catalogue), options_(options), window_(window), drives_(drives) {}

  bool ScanDisk(char drive, bool unattended);
  bool ScanFolderAsDisk(const std::string& folder, const std::string& diskName);
  void RescanDisk();
  bool ScanDiskCore(char drive, const std::string& folder, bool rescan, bool unattended,
                    std::string diskName);

 private:
  // An empty name when the user cancelled.
  std::string askName(char drive, const std::string& label, DriveKind type, bool fat,
                      bool unattended, std::string& volumeLabel);
  bool readOnly();
  bool withScanRunning(char drive, const std::string& folder, bool rescan, bool unattended,
                       const std::string& diskName);

  CatalogueGateway& catalogue_;
  TLocalOptions& options_;
  ScanWindow& window_;
  const DriveTable& drives_;
};

}  // namespace vellomar

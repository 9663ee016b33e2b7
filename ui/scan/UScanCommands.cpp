#include "ui/scan/UScanCommands.h"

#include <cstdio>

#include "foundation/UBaseUtils.h"
#include "foundation/UExceptions.h"
#include "platform/PAsciiText.h"
#include "platform/PText.h"
#include "ui/scan/UScanNames.h"

namespace vellomar {
namespace {

constexpr size_t kMaxFatLabel = 12;

// The window's scan-running state, cleared on every way out.
class ScanRunning {
 public:
  explicit ScanRunning(ScanWindow& window) : window_(window) { window_.setScanRunning(true); }
  ~ScanRunning() { window_.setScanRunning(false); }
  ScanRunning(const ScanRunning&) = delete;
  ScanRunning& operator=(const ScanRunning&) = delete;

 private:
  ScanWindow& window_;
};

}  // namespace

bool ScanCommands::readOnly() {
  return !catalogue_.isOpen() || catalogue_.readOnly();
}

bool ScanCommands::withScanRunning(char drive, const std::string& folder, bool rescan,
                                   bool unattended, const std::string& diskName) {
  ScanRunning running(window_);
  return ScanDiskCore(drive, folder, rescan, unattended, diskName);
}

bool ScanCommands::ScanDisk(char drive, bool unattended) {
  if (readOnly()) return true;
  return withScanRunning(drive, "", false, unattended, "");
}

bool ScanCommands::ScanFolderAsDisk(const std::string& folder, const std::string& diskName) {
  if (readOnly() || folder.empty()) return false;
  return withScanRunning(folder.front(), folder, false, false, diskName);
}

void ScanCommands::RescanDisk() {
  if (readOnly()) return;
  const CatalogueDiskDetails disk = catalogue_.currentDiskDetails();
  const ShortString& name = disk.Name;
  const ShortString& label = disk.Label;
  const ShortString& path = disk.Path;
  if ((disk.Flags & kKeyDeleted) != 0 || name.empty()) return;
  std::string basePath = path.str();
  if (basePath.size() == 2) basePath += '\\';
  std::string scanPath;
  std::string labelNow;
  if (!window_.askRescanFolder(basePath, name.str(), scanPath, labelNow)) return;
  if (!sameText(labelNow, label.view())) {
    char text[1024];
    std::snprintf(text, sizeof text,
                  "The original volume label (%s) and actual volume label (%s) are different. "
                  "This may indicate, that you are not scanning the same disk, that is recorded "
                  "in the database. Are you still sure you want to rescan the disk?",
                  label.str().c_str(), labelNow.c_str());
    if (window_.askWarning("Warning", text) != ScanAnswer::kYes) return;
  }
  if (scanPath.empty()) return;
  withScanRunning(scanPath.front(), scanPath, true, false, name.str());
}

std::string ScanCommands::askName(char drive, const std::string& label, DriveKind type, bool fat,
                                  bool unattended, std::string& volumeLabel) {
  const std::string proposed = LabelAsName(label);
  const std::string generated =
      GeneratedDiskName(options_.DiskNamePattern.view(), options_.DiskNameCounter, proposed);
  const std::string caption{drive, ':'};
  const bool offerQuestion = type == DriveKind::kUnknown || type == DriveKind::kRemovable ||
                             (type == DriveKind::kFixed && !options_.DisableVolNameChange);
  std::string name(trim(proposed, kSpaces));
  bool usedGenerated = false;
  // After the label-length box the dialog always shows, so an unattended scan cannot loop.
  bool mustAsk = false;
  for (;;) {
    if (mustAsk || !unattended || name.empty()) {
      if (!window_.askDiskName(caption, generated, name, usedGenerated)) return {};
    }
    name = trim(name, kSpaces);
    if (name.empty()) return {};
    if (!offerQuestion || sameText(name, label)) break;
    const ScanAnswer answer = window_.askWarning(
        "Different names",
        "Entered name is different from the current Volume Label. Change the Volume Label?");
    if (answer == ScanAnswer::kCancel) return {};
    if (answer == ScanAnswer::kNo) break;
    if (fat && CharacterCount(name) > kMaxFatLabel) {
      window_.showError(std::string("The Volume Label can have max. 12 characters on disk ") +
                        drive + ":");
      mustAsk = true;
      continue;
    }
    if (ChangeVolumeLabel(drive, name, drives_)) {
      volumeLabel = name;
    } else {
      window_.showError(std::string("Volume Label ") + drive + ":" + " cannot be changed.");
    }
    break;
  }
  if (usedGenerated) {
    // Stored at once: a name generated twice must not repeat because the settings were not
    // confirmed in between.
    ++options_.DiskNameCounter;
    catalogue_.setLocalOptions(options_);
  }
  return name;
}

bool ScanCommands::ScanDiskCore(char drive, const std::string& folder, bool rescan, bool unattended,
                                std::string diskName) {
  if (readOnly()) return false;
  const CataloguePlace place = catalogue_.currentPlace();
  const std::string focused = window_.focusedName();

  const QueriedVolume volume = QueryVolumeInfo(drive, ShortString::kMaxLength, drives_);
  if (!volume.accessible) {
    window_.showError(std::string("Drive ") + drive + ":" + " is not accessible.");
    return false;
  }
  std::string volumeLabel = volume.label;
  if (diskName.empty()) {
    diskName = askName(drive, volume.label, volume.type, volume.fileSystem == FileSystemKind::kFat,
                       unattended, volumeLabel);
    if (diskName.empty()) return false;
  }

  int32_t oldBlock = 0;
  if (const std::optional<int32_t> oldIndex = catalogue_.findDisk(diskName)) {
    if (!unattended && !rescan && options_.OverwriteWarning &&
        window_.askWarning("Warning", "Overwrite existing disk " + diskName + "?") !=
            ScanAnswer::kYes) {
      return false;
    }
    oldBlock = catalogue_.keepAsFormerVersion(*oldIndex);
  }

  catalogue_.clearForScan();
  ScanRequest request{&catalogue_, drive, diskName, volumeLabel, folder};
  const bool scanned = window_.runScan(request);
  if (scanned) {
    // The new disk and the old one's deletion are saved together, so a failed save leaves the
    // old disk as it was and a break leaves one of the two live.
    bool saved = false;
    try {
      saved = catalogue_.saveScannedDisk(oldBlock);
      if (!saved) window_.showWriteError();
    } catch (const EKstvNormalException& full) {
      window_.showError(full.what());
    } catch (const EKstvException&) {
      window_.showWriteError();
    }
    if (!saved) {
      catalogue_.freeScanTrees();
      window_.jumpTo(place.Disk, place.Folder, focused);
      return false;
    }
  }
  catalogue_.freeScanTrees();
  catalogue_.goToDiskByName(ShortString(diskName));
  return scanned;
}

}  // namespace vellomar

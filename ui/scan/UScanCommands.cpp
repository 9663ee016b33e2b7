#include "ui/scan/UScanCommands.h"

#include <cstdio>

#include "foundation/UBaseUtils.h"
#include "foundation/UExceptions.h"
#include "platform/PText.h"
#include "ui/scan/UScanNames.h"

namespace vellomar {
namespace {

constexpr size_t kMaxFatLabel = 12;

std::string trimmed(const std::string& text) {
  return TrimSpaces(ShortString(text)).str();
}

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
  TDBaseStats stats;
  ApiGetDBaseStats(handle_, stats);
  return stats.ReadOnly != 0;
}

bool ScanCommands::withScanRunning(char drive, const std::string& folder, bool rescan,
                                   bool unattended, const std::string& diskName) {
  ScanRunning running(window_);
  return ScanDiskCore(drive, folder, rescan, unattended, diskName);
}

bool ScanCommands::ScanDisk(char drive, bool unattended) {
  if (handle_ == nullptr || readOnly()) return true;
  return withScanRunning(drive, "", false, unattended, "");
}

bool ScanCommands::ScanFolderAsDisk(const std::string& folder, const std::string& diskName) {
  if (handle_ == nullptr || readOnly() || folder.empty()) return false;
  return withScanRunning(folder.front(), folder, false, false, diskName);
}

void ScanCommands::RescanDisk() {
  if (handle_ == nullptr || readOnly()) return;
  ShortString name;
  ShortString label;
  ShortString path;
  uint16_t flags = 0;
  int32_t index = 0;
  ApiGetCurrentDiskDetails(handle_, name, ShortString::kMaxLength, label, ShortString::kMaxLength,
                           path, ShortString::kMaxLength, flags, index);
  if ((flags & kKeyDeleted) != 0 || name.empty()) return;
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
  std::string name = trimmed(proposed);
  bool usedGenerated = false;
  // After the label-length box the dialog always shows, so an unattended scan cannot loop.
  bool mustAsk = false;
  for (;;) {
    if (mustAsk || !unattended || name.empty()) {
      if (!window_.askDiskName(caption, generated, name, usedGenerated)) return {};
    }
    name = trimmed(name);
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
    ApiSetLocalOptions(handle_, options_);
  }
  return name;
}

bool ScanCommands::ScanDiskCore(char drive, const std::string& folder, bool rescan, bool unattended,
                                std::string diskName) {
  if (handle_ == nullptr || readOnly()) return false;
  ShortString currentDisk;
  uint16_t flags = 0;
  int32_t currentIndex = 0;
  ApiGetCurrentKey(handle_, currentDisk, flags, currentIndex);
  ShortString currentPath;
  ApiGetCurrentPath(handle_, currentPath);
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
  ShortString found(diskName);
  int32_t oldIndex = -1;
  if (ApiGetKeyCount(handle_) > 0 && ApiFindDisk(handle_, found, oldIndex)) {
    if (!unattended && !rescan && options_.OverwriteWarning &&
        window_.askWarning("Warning", "Overwrite existing disk " + diskName + "?") !=
            ScanAnswer::kYes) {
      return false;
    }
    ApiLoadOldDisk(handle_, oldIndex);
    oldBlock = ApiGetKeyBlock(handle_, oldIndex);
  }

  ApiClearFound(handle_);
  ApiFreeTreeStruct(handle_);
  ScanRequest request{handle_, drive, diskName, volumeLabel, folder};
  const bool scanned = window_.runScan(request);
  if (scanned) {
    // The new disk and the old one's deletion are saved together, so a failed save leaves the
    // old disk as it was and a break leaves one of the two live.
    bool saved = false;
    try {
      const int32_t oldKey = oldBlock != 0 ? ApiFindKeyByBlock(handle_, oldBlock) : -1;
      saved = oldKey >= 0 ? ApiReplaceDisk(handle_, oldKey) : ApiSaveDisk(handle_);
      if (!saved) window_.showWriteError();
    } catch (const EKstvNormalException& full) {
      window_.showError(full.what());
    } catch (const EKstvException&) {
      window_.showWriteError();
    }
    if (!saved) {
      ApiFreeTreeStruct(handle_);
      ApiFreeOldTreeStruct(handle_);
      window_.jumpTo(currentDisk.str(), currentPath.str(), focused);
      return false;
    }
  }
  ApiFreeTreeStruct(handle_);
  ApiFreeOldTreeStruct(handle_);
  ApiGoToDiskByName(handle_, ShortString(diskName));
  return scanned;
}

}  // namespace vellomar

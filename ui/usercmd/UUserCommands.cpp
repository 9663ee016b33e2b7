#include "ui/usercmd/UUserCommands.h"

#include "abi/UserCommandAbi.h"
#include "platform/PText.h"

namespace vellomar {
namespace {

std::string withSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

}  // namespace

UserCommandPaths UserCommandPathsOf(std::string basePath, const std::string& folderPath,
                                    const std::string& archivePath, const std::string& fileName) {
  if (!basePath.empty() && basePath.back() == '\\') basePath.pop_back();
  UserCommandPaths paths;
  if (archivePath.empty()) {
    paths.fullPath = basePath + withSeparator(folderPath) + fileName;
    return paths;
  }
  paths.fullPath = basePath + archivePath;
  const std::string inside =
      withSeparator(folderPath.substr(std::min(archivePath.size(), folderPath.size()))) + fileName;
  for (const char c : inside) {
    if (c != '\\') {
      paths.pathInArchive += c;
    } else if (!paths.pathInArchive.empty()) {
      paths.pathInArchive += '/';
    }
  }
  return paths;
}

int32_t UserCommandFlagsOf(bool fileExists, const QueriedVolume& volume,
                           const std::string& recordedLabel, bool inArchive) {
  int32_t flags = 0;
  if (fileExists) flags |= kUserFileExists;
  if (volume.accessible) flags |= kUserVolumeAccessible;
  if (volume.type == DriveKind::kRemovable || volume.type == DriveKind::kOptical) {
    flags |= kUserRemovableDrive;
  }
  if (volume.type == DriveKind::kRemote) flags |= kUserNetworkDrive;
  if (volume.accessible && !sameText(volume.label, recordedLabel)) flags |= kUserLabelDiffers;
  if (inArchive) flags |= kUserInArchive;
  return flags;
}

}  // namespace vellomar

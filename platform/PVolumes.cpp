#include "platform/PVolumes.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstring>

#include <map>
#include <set>

#include "platform/PPaths.h"

namespace vellomar {
namespace {

const std::set<std::string, std::less<>> kCaseInsensitiveFileSystems = {
    "vfat", "msdos", "fat", "exfat", "iso9660", "udf",
};
const std::set<std::string, std::less<>> kFatFileSystems = {"vfat", "msdos", "fat"};
const std::map<std::string, std::string, std::less<>> kSystemNames = {
    {"exfat", "exFAT"}, {"ntfs", "NTFS"},    {"ntfs3", "NTFS"},
    {"hpfs", "HPFS"},   {"iso9660", "CDFS"}, {"udf", "UDF"},
};

// fuseblk is a user-space driver; udev knows what lies on the device.
std::string effectiveType(const MountEntry& mount, const DeviceInfo& devices, BlockDevice device) {
  if (mount.fsType != "fuseblk" || !device.valid()) return mount.fsType;
  const std::string probed = devices.udevProperty(device, "ID_FS_TYPE");
  return probed.empty() ? mount.fsType : probed;
}

std::string systemName(const std::string& fsType, const DeviceInfo& devices, BlockDevice device) {
  if (kFatFileSystems.contains(fsType)) {
    const bool fat32 = device.valid() && devices.udevProperty(device, "ID_FS_VERSION") == "FAT32";
    return fat32 ? "FAT32" : "FAT";
  }
  const auto it = kSystemNames.find(fsType);
  return it == kSystemNames.end() ? fsType : it->second;
}

// The label as the mounted file system holds it now (ext4, btrfs, xfs): udev learns of a
// change only later, and containers have no udev at all.
std::string mountedLabel(const std::string& mountPoint) {
  char buffer[FSLABEL_MAX] = {};
  const int fd = open(mountPoint.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return {};
  const bool ok = ioctl(fd, FS_IOC_GETFSLABEL, buffer) == 0;
  close(fd);
  return ok ? std::string(buffer, strnlen(buffer, sizeof buffer)) : std::string();
}

}  // namespace

DiskSpace diskSpaceAt(const std::string& linuxPath) {
  struct statvfs fs {};
  if (linuxPath.empty() || statvfs(linuxPath.c_str(), &fs) != 0) return {};
  const uint64_t unit = fs.f_frsize != 0 ? fs.f_frsize : fs.f_bsize;
  return {true, static_cast<uint64_t>(fs.f_blocks) * unit,
          static_cast<uint64_t>(fs.f_bfree) * unit};
}

DiskSpace diskSpace(const std::string& systemPath, const DriveTable& table) {
  const std::optional<std::string> path = toLinuxPath(systemPath, table);
  return path ? diskSpaceAt(*path) : DiskSpace{};
}

bool isCaseInsensitiveMedia(const std::string& fsType) {
  return kCaseInsensitiveFileSystems.contains(fsType);
}

namespace {

// "//server/share" and "server:/export" both as "\\server\share".
std::string uncName(const std::string& source) {
  std::string path = source;
  if (!path.starts_with("//")) {
    const size_t colon = path.find(':');
    if (colon == std::string::npos || colon == 0) return source;
    path = "//" + path.substr(0, colon) + "/" + path.substr(colon + 1);
  }
  std::string unc;
  for (const char c : path) {
    if (c != '/') {
      unc += c;
    } else if (unc.size() < 2 || unc.back() != '\\') {
      unc += '\\';
    }
  }
  while (unc.size() > 2 && unc.back() == '\\') unc.pop_back();
  return unc;
}

}  // namespace

std::string networkShare(char letter, const DriveTable& table) {
  if (table.kindOf(letter) != DriveKind::kRemote) return {};
  const std::optional<MountEntry> mount = table.currentMount(letter);
  return mount ? uncName(mount->source) : std::string();
}

VolumeInfo volumeInfo(char letter, const DriveTable& table) {
  VolumeInfo info;
  const Drive* drive = table.find(letter);
  if (drive == nullptr) return info;
  info.kind = drive->kind;
  const std::optional<MountEntry> mount = table.currentMount(letter);
  if (!mount) return info;
  struct statvfs fs {};
  info.accessible = statvfs(mount->mountPoint.c_str(), &fs) == 0;
  if (drive->kind == DriveKind::kRemote) {
    info.networkSource = uncName(mount->source);
    info.fileSystem = mount->fsType;
    return info;
  }
  const DeviceInfo& devices = table.devices();
  const BlockDevice device = drive->boundToDevice() ? drive->device : devices.deviceOfMount(*mount);
  const std::string type = effectiveType(*mount, devices, device);
  info.fileSystem = systemName(type, devices, device);
  info.caseInsensitive = isCaseInsensitiveMedia(type);
  if (info.accessible) info.label = mountedLabel(mount->mountPoint);
  if (info.label.empty() && device.valid()) info.label = devices.volumeLabel(device);
  return info;
}

bool changeVolumeLabel(char letter, const std::string& label, const DriveTable& table) {
  const std::optional<MountEntry> mount = table.currentMount(letter);
  if (!mount || table.kindOf(letter) == DriveKind::kRemote || label.size() >= FSLABEL_MAX ||
      label.find('\0') != std::string::npos) {
    return false;
  }
  char buffer[FSLABEL_MAX] = {};
  std::memcpy(buffer, label.data(), label.size());
  const int fd = open(mount->mountPoint.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ioctl(fd, FS_IOC_SETFSLABEL, buffer) == 0;
  close(fd);
  return ok;
}

}  // namespace vellomar

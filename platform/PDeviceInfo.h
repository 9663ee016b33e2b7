#pragma once

#include <string>
#include <vector>

#include "platform/PMountInfo.h"

namespace vellomar {

// A block device as the kernel numbers it.
struct BlockDevice {
  unsigned major = 0;
  unsigned minor = 0;
  bool operator==(const BlockDevice&) const = default;
  bool valid() const { return major != 0; }
};

// What sysfs and the udev database say about block devices. All paths are read below a root
// ("/" on a live system) so tests can lay out a small tree of their own.
class DeviceInfo {
 public:
  explicit DeviceInfo(std::string systemRoot);

  // The device named by a mount source such as "/dev/sdb1"; invalid when there is none.
  BlockDevice deviceOfSource(const std::string& source) const;
  // The device behind a mount: its own number, or its source for file systems such as btrfs
  // that number their files apart from the device.
  BlockDevice deviceOfMount(const MountEntry& mount) const;
  // Every block device sysfs lists, in name order.
  std::vector<BlockDevice> blockDevices() const;

  std::string kernelName(BlockDevice device) const;  // "sdb1", "sr0"; empty when unknown
  bool isFloppy(BlockDevice device) const;
  bool isOptical(BlockDevice device) const;
  // The disk (or the disk of a partition) says its medium can be taken out.
  bool isRemovable(BlockDevice device) const;
  // A property of udev's database ("ID_FS_LABEL_ENC"), as stored; empty when absent.
  std::string udevProperty(BlockDevice device, const std::string& name) const;
  // The volume label: udev's encoded label, else the /dev/disk/by-label link to the device.
  std::string volumeLabel(BlockDevice device) const;

 private:
  std::string sysBlockPath(BlockDevice device) const;

  std::string root_;
};

// Decodes udev's \xNN escapes (labels with blanks or slashes).
std::string decodeUdevString(const std::string& text);

}  // namespace vellomar

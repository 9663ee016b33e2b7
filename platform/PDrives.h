#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/PDeviceInfo.h"
#include "platform/PMountInfo.h"

namespace vellomar {

// The kinds of drive the catalogue tells apart, numbered as the program has always stored and
// compared them.
enum class DriveKind : uint8_t {
  kUnknown = 0,
  kNoRootDir = 1,
  kRemovable = 2,
  kFixed = 3,
  kRemote = 4,
  kOptical = 5,
  kRamDisk = 6,
};

// A letter and the identity of the drive that holds it, as the program's settings keep them.
// Keys are one line of printable text.
struct DriveAssignment {
  char letter = 0;
  std::string key;
  bool operator==(const DriveAssignment&) const = default;
};

struct Drive {
  char letter = 0;  // 'A'..'Z'
  DriveKind kind = DriveKind::kUnknown;
  std::string key;
  // Optical, floppy and removable drives stay bound to their device: media mount under
  // changing folders, so the mount point is looked up at each use.
  BlockDevice device;
  std::string mountPoint;  // of every other drive
  bool boundToDevice() const { return device.valid(); }
};

// Where the table learns about the machine. The mount table is read again at each lookup.
struct DriveSources {
  std::function<std::string()> readMountInfo;
  std::string systemRoot = "/";  // sysfs, udev's database and /dev/disk lie below it
  bool includeTmpfs = false;     // memory file systems become RAM disks

  static DriveSources live();
};

// The drive letters of this machine: "/" is C:, A: and B: belong to floppies, every other real
// file system takes the next free letter. Pseudo file systems take none. Letters found in the
// saved assignments are kept, also for drives that are absent for now.
class DriveTable {
 public:
  explicit DriveTable(DriveSources sources, const std::vector<DriveAssignment>& saved = {});

  // Picks up drives that came or went; letters already given stay.
  void rebuild() { restore(assignments()); }
  void restore(const std::vector<DriveAssignment>& saved);

  // Present drives in letter order.
  const std::vector<Drive>& drives() const { return drives_; }
  const Drive* find(char letter) const;  // either case
  // Without touching the drive; kNoRootDir for a letter no drive has.
  DriveKind kindOf(char letter) const;
  // What the settings store: present drives and the reserved letters of absent ones.
  std::vector<DriveAssignment> assignments() const;

  // Where a drive is mounted now; none when its medium is out or its share unmounted.
  std::optional<MountEntry> currentMount(char letter) const;
  // Every present drive that is mounted now, with its mount, read from one look at the table.
  std::vector<std::pair<char, MountEntry>> currentMounts() const;

  const DeviceInfo& devices() const { return devices_; }

 private:
  std::optional<MountEntry> mountOf(const Drive& drive,
                                    const std::vector<MountEntry>& visible) const;
  std::vector<MountEntry> visibleMounts() const;

  DriveSources sources_;
  DeviceInfo devices_;
  std::vector<Drive> drives_;
  std::vector<DriveAssignment> reserved_;
};

// The table of the running program, built from the live system at first use. The settings
// restore their saved assignments into it at start and store its assignments().
DriveTable& processDriveTable();

}  // namespace vellomar

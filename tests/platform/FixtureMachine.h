#pragma once

#include <string>

#include "platform/PDrives.h"
#include "tests/platform/SystemRootBuilder.h"

namespace vellomar {

// A desktop: system disk sda, USB stick sdb, DVD writer sr0, floppies fd0 and sde, one snap and the
// kernel's and a container runtime's own file systems.
inline const char* const kDesktopMounts =
    "22 28 0:21 / /proc rw,relatime - proc proc rw\n"
    "23 28 0:22 / /sys rw,relatime - sysfs sysfs rw\n"
    "24 28 0:6 / /dev rw - devtmpfs devtmpfs rw\n"
    "27 24 0:25 / /dev/pts rw - devpts devpts rw\n"
    "28 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
    "29 28 8:1 / /boot/efi rw shared:5 - vfat /dev/sda1 rw\n"
    "30 28 0:45 /@home /home rw shared:6 - btrfs /dev/sda3 rw\n"
    "31 28 0:26 / /run rw - tmpfs tmpfs rw\n"
    "32 28 7:7 / /snap/core/123 ro - squashfs /dev/loop7 ro\n"
    "33 28 0:50 / /mnt/nas rw - cifs //nas/share rw\n"
    "34 28 8:17 / /media/ann/MY\\040STICK rw - vfat /dev/sdb1 rw\n"
    "35 23 0:30 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
    "36 28 0:60 / /var/lib/docker/overlay2/abc/merged rw - overlay overlay rw\n";

// The desktop's devices below a fixture root, and a mount table the test may change.
struct FixtureMachine {
  FixtureMachine() : mounts(kDesktopMounts) {
    root.addDisk("sda", 8, 0, false);
    root.addPartition("sda", "sda1", 8, 1);
    root.addUdev(8, 1, {"ID_FS_LABEL_ENC=EFI\\x20SYSTEM", "ID_FS_VERSION=FAT32"});
    root.addPartition("sda", "sda2", 8, 2);
    root.addPartition("sda", "sda3", 8, 3);
    root.addDisk("sdb", 8, 16, true);
    root.addPartition("sdb", "sdb1", 8, 17);
    root.addUdev(8, 17, {"ID_SERIAL=Kingston_DT_123", "ID_PART_ENTRY_NUMBER=1"});
    root.addLabelLink("MY\\x20STICK", "sdb1");
    root.addDisk("sr0", 11, 0, true);
    root.addUdev(11, 0, {"ID_CDROM=1", "ID_SERIAL=HL-DT-ST_DVDRAM", "ID_FS_LABEL_ENC=HOLIDAY"});
    root.addDisk("fd0", 2, 0, true);
    root.addDisk("sde", 8, 64, true);  // a USB floppy drive
    root.addUdev(8, 64, {"ID_DRIVE_FLOPPY=1"});
    root.addDisk("loop7", 7, 7, false);
  }

  DriveSources sources(bool includeTmpfs = false) {
    DriveSources s;
    s.readMountInfo = [this] { return mounts; };
    s.systemRoot = root.path();
    s.includeTmpfs = includeTmpfs;
    return s;
  }

  SystemRootBuilder root;
  std::string mounts;
};

}  // namespace vellomar

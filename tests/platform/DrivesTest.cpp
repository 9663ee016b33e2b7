#include "platform/PDrives.h"

#include <gtest/gtest.h>

#include "tests/platform/SystemRootBuilder.h"

namespace vellomar {
namespace {

// A desktop: system disk sda, USB stick sdb, DVD writer sr0, floppy fd0, one snap and the
// kernel's and a container runtime's own file systems.
const char* const kDesktopMounts =
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

class DriveTableTest : public testing::Test {
 protected:
  void SetUp() override {
    root.addDisk("sda", 8, 0, false);
    root.addPartition("sda", "sda1", 8, 1);
    root.addPartition("sda", "sda2", 8, 2);
    root.addPartition("sda", "sda3", 8, 3);
    root.addDisk("sdb", 8, 16, true);
    root.addPartition("sdb", "sdb1", 8, 17);
    root.addUdev(8, 17, {"ID_SERIAL=Kingston_DT_123", "ID_PART_ENTRY_NUMBER=1"});
    root.addDisk("sr0", 11, 0, true);
    root.addUdev(11, 0, {"ID_CDROM=1", "ID_SERIAL=HL-DT-ST_DVDRAM"});
    root.addDisk("fd0", 2, 0, true);
    root.addDisk("loop7", 7, 7, false);
    mounts = kDesktopMounts;
  }

  DriveSources sources(bool includeTmpfs = false) {
    DriveSources s;
    s.readMountInfo = [this] { return mounts; };
    s.systemRoot = root.path();
    s.includeTmpfs = includeTmpfs;
    return s;
  }

  static std::string letters(const DriveTable& table) {
    std::string text;
    for (const Drive& d : table.drives()) text += d.letter;
    return text;
  }

  SystemRootBuilder root;
  std::string mounts;
};

TEST_F(DriveTableTest, GivesLettersToRealFileSystemsOnly) {
  const DriveTable table(sources());
  struct Expected {
    char letter;
    DriveKind kind;
    const char* mountPoint;  // empty for a drive bound to its device
    const char* key;
  };
  const Expected expected[] = {
      {'A', DriveKind::kRemovable, "", "device:fd0"},
      {'C', DriveKind::kFixed, "/", "mount:/"},
      {'D', DriveKind::kFixed, "/boot/efi", "mount:/boot/efi"},
      {'E', DriveKind::kFixed, "/home", "mount:/home"},
      {'F', DriveKind::kRemote, "/mnt/nas", "mount:/mnt/nas"},
      {'G', DriveKind::kRemovable, "", "device:Kingston_DT_123-part1"},
      {'H', DriveKind::kOptical, "", "device:HL-DT-ST_DVDRAM"},
  };
  ASSERT_EQ(letters(table), "ACDEFGH");
  for (const Expected& e : expected) {
    const Drive* drive = table.find(e.letter);
    ASSERT_NE(drive, nullptr) << e.letter;
    EXPECT_EQ(drive->kind, e.kind) << e.letter;
    EXPECT_EQ(drive->mountPoint, e.mountPoint) << e.letter;
    EXPECT_EQ(drive->boundToDevice(), *e.mountPoint == '\0') << e.letter;
    EXPECT_EQ(drive->key, e.key) << e.letter;
  }
  EXPECT_EQ(table.find('g'), table.find('G'));
  EXPECT_EQ(table.find('B'), nullptr);
  EXPECT_EQ(table.find('?'), nullptr);
}

TEST_F(DriveTableTest, MemoryFileSystemsAreRamDisksOnlyWhenAskedFor) {
  const DriveTable table(sources(true));
  const Drive* run = table.find('G');
  ASSERT_NE(run, nullptr);
  EXPECT_EQ(run->mountPoint, "/run");
  EXPECT_EQ(run->kind, DriveKind::kRamDisk);
}

TEST_F(DriveTableTest, DeviceDrivesFollowTheirMediumFromMountToMount) {
  const DriveTable table(sources());
  EXPECT_FALSE(table.currentMount('H').has_value());  // no disc in the writer
  EXPECT_EQ(table.currentMount('G')->mountPoint, "/media/ann/MY STICK");

  mounts += "40 28 11:0 / /media/ann/HOLIDAY rw - iso9660 /dev/sr0 ro\n";
  EXPECT_EQ(table.currentMount('H')->mountPoint, "/media/ann/HOLIDAY");
  mounts = kDesktopMounts;
  mounts += "41 28 11:0 / /media/ann/WORK\\0402003 rw - udf /dev/sr0 ro\n";
  const auto mounted = table.currentMounts();
  ASSERT_FALSE(mounted.empty());
  EXPECT_EQ(mounted.back().first, 'H');
  EXPECT_EQ(mounted.back().second.mountPoint, "/media/ann/WORK 2003");
  EXPECT_EQ(mounted.back().second.fsType, "udf");

  // An unmounted share is no longer reachable through its letter.
  mounts = "28 1 8:2 / / rw - ext4 /dev/sda2 rw\n";
  EXPECT_FALSE(table.currentMount('F').has_value());
  EXPECT_EQ(table.currentMount('C')->mountPoint, "/");
  EXPECT_EQ(letters(table), "ACDEFGH");
}

TEST_F(DriveTableTest, SavedLettersSurviveAndAbsentDrivesKeepTheirs) {
  const std::vector<DriveAssignment> saved = {
      {'Z', "device:HL-DT-ST_DVDRAM"},
      {'d', "mount:/mnt/gone"},
      {'A', "mount:/boot/efi"},  // A: and B: are for floppies only
      {'C', "mount:/home"},      // C: is always "/"
      {'Q', ""},
  };
  DriveTable table(sources(), saved);
  EXPECT_EQ(letters(table), "ACEFGHZ");
  EXPECT_EQ(table.find('E')->mountPoint, "/boot/efi");
  EXPECT_EQ(table.find('F')->mountPoint, "/home");
  EXPECT_EQ(table.find('Z')->kind, DriveKind::kOptical);

  const std::vector<DriveAssignment> stored = table.assignments();
  EXPECT_NE(std::find(stored.begin(), stored.end(), DriveAssignment{'D', "mount:/mnt/gone"}),
            stored.end());
  EXPECT_EQ(stored.size(), 8u);

  // The stick comes back as another device; its serial keeps its letter.
  root.addDisk("sdc", 8, 32, true);
  root.addPartition("sdc", "sdc1", 8, 33);
  root.addUdev(8, 33, {"ID_SERIAL=Kingston_DT_123", "ID_PART_ENTRY_NUMBER=1"});
  mounts = kDesktopMounts;
  const std::string stick = "34 28 8:17 / /media/ann/MY\\040STICK rw - vfat /dev/sdb1 rw\n";
  mounts.erase(mounts.find(stick), stick.size());
  mounts += "40 28 8:33 / /media/ann/STICK rw - vfat /dev/sdc1 rw\n";
  mounts += "41 28 8:50 / /mnt/new rw - ext4 /dev/sdd1 rw\n";
  table.rebuild();
  EXPECT_EQ(table.currentMount('H')->mountPoint, "/media/ann/STICK");
  EXPECT_EQ(table.find('I')->mountPoint, "/mnt/new");
  EXPECT_EQ(table.assignments().size(), 9u);

  DriveTable again(sources(), table.assignments());
  EXPECT_EQ(again.assignments(), table.assignments());
}

TEST_F(DriveTableTest, LettersKeptForAbsentDrivesAreTakenOnlyWhenNoneIsLeft) {
  mounts = "28 1 8:2 / / rw - ext4 /dev/sda2 rw\n";
  for (int i = 0; i < 22; ++i) {
    mounts += "40 28 0:" + std::to_string(100 + i) + " / /mnt/ram" + std::to_string(10 + i) +
              " rw - tmpfs tmpfs rw\n";
  }
  const DriveTable table(sources(true), {{'D', "mount:/mnt/gone"}});
  EXPECT_EQ(letters(table), "ACDEFGHIJKLMNOPQRSTUVWXYZ");
  EXPECT_EQ(table.find('E')->mountPoint, "/mnt/ram10");
  EXPECT_EQ(table.find('Z')->mountPoint, "/mnt/ram31");
  EXPECT_EQ(table.find('D')->kind, DriveKind::kOptical);  // the last one found no other letter
  EXPECT_EQ(table.assignments().size(), 25u);
}

TEST_F(DriveTableTest, SecondViewsOfAFileSystemTakeNoLetter) {
  mounts =
      "28 1 8:2 / / rw - ext4 /dev/sda2 rw\n"
      "40 28 8:3 / /data rw - ext4 /dev/sda3 rw\n"
      "41 28 8:3 / /srv/data rw - ext4 /dev/sda3 rw\n"
      "42 28 8:3 /photos /home/photos rw - ext4 /dev/sda3 rw\n"
      "43 28 8:2 /var/www /www rw - ext4 /dev/sda2 rw\n"
      "44 28 8:1 / /mnt/old rw - ext4 /dev/sda1 rw\n"
      "45 28 0:70 / /mnt/old rw - nfs4 server:/export rw\n"
      "46 28 254:1 /containers/x/hosts /etc/hosts rw - ext4 /dev/vdb rw\n"
      "47 28 8:17 /sub /media/stick-sub rw - vfat /dev/sdb1 rw\n";
  const DriveTable table(sources());
  EXPECT_EQ(letters(table), "ACDEF");
  EXPECT_EQ(table.find('D')->mountPoint, "/data");
  EXPECT_EQ(table.find('E')->mountPoint, "/mnt/old");
  EXPECT_EQ(table.find('E')->kind, DriveKind::kRemote);  // the later mount hides the disk
  EXPECT_EQ(table.currentMount('E')->fsType, "nfs4");
}

TEST(DriveSourcesLive, RootIsDriveC) {
  const DriveTable table(DriveSources::live());
  ASSERT_NE(table.find('C'), nullptr);
  EXPECT_EQ(table.currentMount('C')->mountPoint, "/");
  for (const Drive& d : table.drives()) EXPECT_NE(d.mountPoint, "/proc");
}

}  // namespace
}  // namespace vellomar

#include "platform/PDrives.h"

#include <gtest/gtest.h>

#include "tests/platform/FixtureMachine.h"
#include "tests/platform/ScratchMount.h"

namespace vellomar {
namespace {

class DriveTableTest : public testing::Test {
 protected:
  static std::string letters(const DriveTable& table) {
    std::string text;
    for (const Drive& d : table.drives()) text += d.letter;
    return text;
  }

  FixtureMachine machine;
};

TEST_F(DriveTableTest, GivesLettersToRealFileSystemsOnly) {
  const DriveTable table(machine.sources());
  struct Expected {
    char letter;
    DriveKind kind;
    const char* mountPoint;  // empty for a drive bound to its device
    const char* key;
  };
  const Expected expected[] = {
      {'A', DriveKind::kRemovable, "", "device:fd0"},
      {'B', DriveKind::kRemovable, "", "device:sde"},
      {'C', DriveKind::kFixed, "/", "mount:/"},
      {'D', DriveKind::kFixed, "/boot/efi", "mount:/boot/efi"},
      {'E', DriveKind::kFixed, "/home", "mount:/home"},
      {'F', DriveKind::kRemote, "/mnt/nas", "mount:/mnt/nas"},
      {'G', DriveKind::kRemovable, "", "device:Kingston_DT_123-part1"},
      {'H', DriveKind::kOptical, "", "device:HL-DT-ST_DVDRAM"},
  };
  ASSERT_EQ(letters(table), "ABCDEFGH");
  for (const Expected& e : expected) {
    const Drive* drive = table.find(e.letter);
    ASSERT_NE(drive, nullptr) << e.letter;
    EXPECT_EQ(drive->kind, e.kind) << e.letter;
    EXPECT_EQ(drive->mountPoint, e.mountPoint) << e.letter;
    EXPECT_EQ(drive->boundToDevice(), *e.mountPoint == '\0') << e.letter;
    EXPECT_EQ(drive->key, e.key) << e.letter;
  }
  EXPECT_EQ(table.find('g'), table.find('G'));
  EXPECT_EQ(table.find('?'), nullptr);
}

TEST_F(DriveTableTest, MemoryFileSystemsAreRamDisksOnlyWhenAskedFor) {
  const DriveTable table(machine.sources(true));
  const Drive* run = table.find('G');
  ASSERT_NE(run, nullptr);
  EXPECT_EQ(run->mountPoint, "/run");
  EXPECT_EQ(run->kind, DriveKind::kRamDisk);
}

TEST_F(DriveTableTest, DeviceDrivesFollowTheirMediumFromMountToMount) {
  const DriveTable table(machine.sources());
  EXPECT_FALSE(table.currentMount('H').has_value());  // no disc in the writer
  EXPECT_EQ(table.currentMount('G')->mountPoint, "/media/ann/MY STICK");

  machine.mounts += "40 28 11:0 / /media/ann/HOLIDAY rw - iso9660 /dev/sr0 ro\n";
  EXPECT_EQ(table.currentMount('H')->mountPoint, "/media/ann/HOLIDAY");
  machine.mounts = kDesktopMounts;
  machine.mounts += "41 28 11:0 / /media/ann/WORK\\0402003 rw - udf /dev/sr0 ro\n";
  const auto mounted = table.currentMounts();
  ASSERT_FALSE(mounted.empty());
  EXPECT_EQ(mounted.back().first, 'H');
  EXPECT_EQ(mounted.back().second.mountPoint, "/media/ann/WORK 2003");
  EXPECT_EQ(mounted.back().second.fsType, "udf");

  // An unmounted share is no longer reachable through its letter.
  machine.mounts = "28 1 8:2 / / rw - ext4 /dev/sda2 rw\n";
  EXPECT_FALSE(table.currentMount('F').has_value());
  EXPECT_EQ(table.currentMount('C')->mountPoint, "/");
  EXPECT_EQ(letters(table), "ABCDEFGH");
}

TEST_F(DriveTableTest, SavedLettersSurviveAndAbsentDrivesKeepTheirs) {
  const std::vector<DriveAssignment> saved = {
      {'Z', "device:HL-DT-ST_DVDRAM"},
      {'d', "mount:/mnt/gone"},
      {'A', "mount:/boot/efi"},  // A: and B: are for floppies only
      {'C', "mount:/home"},      // C: is always "/"
      {'Q', ""},
  };
  DriveTable table(machine.sources(), saved);
  EXPECT_EQ(letters(table), "ABCEFGHZ");
  EXPECT_EQ(table.find('E')->mountPoint, "/boot/efi");
  EXPECT_EQ(table.find('F')->mountPoint, "/home");
  EXPECT_EQ(table.find('Z')->kind, DriveKind::kOptical);

  const std::vector<DriveAssignment> stored = table.assignments();
  EXPECT_NE(std::find(stored.begin(), stored.end(), DriveAssignment{'D', "mount:/mnt/gone"}),
            stored.end());
  EXPECT_EQ(stored.size(), 9u);

  // The stick comes back as another device; its serial keeps its letter.
  machine.root.addDisk("sdc", 8, 32, true);
  machine.root.addPartition("sdc", "sdc1", 8, 33);
  machine.root.addUdev(8, 33, {"ID_SERIAL=Kingston_DT_123", "ID_PART_ENTRY_NUMBER=1"});
  machine.mounts = kDesktopMounts;
  const std::string stick = "34 28 8:17 / /media/ann/MY\\040STICK rw - vfat /dev/sdb1 rw\n";
  machine.mounts.erase(machine.mounts.find(stick), stick.size());
  machine.mounts += "40 28 8:33 / /media/ann/STICK rw - vfat /dev/sdc1 rw\n";
  machine.mounts += "41 28 8:50 / /mnt/new rw - ext4 /dev/sdd1 rw\n";
  table.rebuild();
  EXPECT_EQ(table.currentMount('H')->mountPoint, "/media/ann/STICK");
  EXPECT_EQ(table.find('I')->mountPoint, "/mnt/new");
  EXPECT_EQ(table.assignments().size(), 10u);

  DriveTable again(machine.sources(), table.assignments());
  EXPECT_EQ(again.assignments(), table.assignments());
}

TEST_F(DriveTableTest, LettersKeptForAbsentDrivesAreTakenOnlyWhenNoneIsLeft) {
  machine.mounts = "28 1 8:2 / / rw - ext4 /dev/sda2 rw\n";
  for (int i = 0; i < 22; ++i) {
    machine.mounts += "40 28 0:" + std::to_string(100 + i) + " / /mnt/ram" +
                      std::to_string(10 + i) + " rw - tmpfs tmpfs rw\n";
  }
  const DriveTable table(machine.sources(true), {{'D', "mount:/mnt/gone"}});
  EXPECT_EQ(letters(table), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  EXPECT_EQ(table.find('E')->mountPoint, "/mnt/ram10");
  EXPECT_EQ(table.find('Z')->mountPoint, "/mnt/ram31");
  EXPECT_EQ(table.find('D')->kind, DriveKind::kOptical);  // the last one found no other letter
  EXPECT_EQ(table.assignments().size(), 26u);
}

TEST_F(DriveTableTest, SecondViewsOfAFileSystemTakeNoLetter) {
  machine.mounts =
      "28 1 8:2 / / rw - ext4 /dev/sda2 rw\n"
      "40 28 8:3 / /data rw - ext4 /dev/sda3 rw\n"
      "41 28 8:3 / /srv/data rw - ext4 /dev/sda3 rw\n"
      "42 28 8:3 /photos /home/photos rw - ext4 /dev/sda3 rw\n"
      "43 28 8:2 /var/www /www rw - ext4 /dev/sda2 rw\n"
      "44 28 8:1 / /mnt/old rw - ext4 /dev/sda1 rw\n"
      "45 28 0:70 / /mnt/old rw - nfs4 server:/export rw\n"
      "46 28 254:1 /containers/x/hosts /etc/hosts rw - ext4 /dev/vdb rw\n"
      "47 28 8:17 /sub /media/stick-sub rw - vfat /dev/sdb1 rw\n";
  const DriveTable table(machine.sources());
  EXPECT_EQ(letters(table), "ABCDEF");
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

TEST(DriveSourcesLive, SeesMountsComeAndGo) {
  DriveSources sources = DriveSources::live();
  sources.includeTmpfs = true;
  const std::string before = sources.readMountInfo();
  ScratchMount scratch;
  if (!scratch.mounted()) GTEST_SKIP() << "mounting is not allowed here";
  DriveTable table(sources);
  const Drive* drive = nullptr;
  for (const Drive& d : table.drives()) {
    if (d.mountPoint == scratch.folder()) drive = &d;
  }
  ASSERT_NE(drive, nullptr);
  const char letter = drive->letter;
  EXPECT_EQ(table.kindOf(letter), DriveKind::kRamDisk);
  EXPECT_EQ(table.currentMount(letter)->source, "vellomar-test");
  scratch.unmount();
  EXPECT_FALSE(table.currentMount(letter).has_value());
  EXPECT_EQ(sources.readMountInfo(), before);
}

}  // namespace
}  // namespace vellomar

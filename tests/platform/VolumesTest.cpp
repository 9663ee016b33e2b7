#include "platform/PVolumes.h"

#include "platform/PPaths.h"

#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include "tests/platform/FixtureMachine.h"
#include "tests/platform/ScratchMount.h"

namespace vellomar {
namespace {

TEST(DiskSpaceAt, ReportsTheVolumeOfTheGivenPath) {
  const std::string dir = testing::TempDir();
  const DiskSpace space = diskSpaceAt(dir);
  ASSERT_TRUE(space.ok);
  struct statvfs fs {};
  ASSERT_EQ(statvfs(dir.c_str(), &fs), 0);
  EXPECT_EQ(space.totalBytes, static_cast<uint64_t>(fs.f_blocks) * fs.f_frsize);
  EXPECT_GT(space.totalBytes, 0u);
  EXPECT_LE(space.freeBytes, space.totalBytes);
}

TEST(DiskSpaceAt, UnreachablePathGivesZeros) {
  for (const std::string path : {"", "/no/such/folder/anywhere"}) {
    const DiskSpace space = diskSpaceAt(path);
    EXPECT_FALSE(space.ok) << path;
    EXPECT_EQ(space.totalBytes, 0u) << path;
    EXPECT_EQ(space.freeBytes, 0u) << path;
  }
}

TEST(DiskSpace, MeasuresTheScannedPathOfADrive) {
  FixtureMachine machine;
  const DriveTable table(machine.sources());
  EXPECT_EQ(diskSpace("C:\\", table).totalBytes, diskSpaceAt("/").totalBytes);
  EXPECT_TRUE(diskSpace("c:\\proc", table).ok);
  EXPECT_FALSE(diskSpace("H:\\", table).ok);  // no disc
  EXPECT_FALSE(diskSpace("Q:\\", table).ok);
}

TEST(VolumeInfo, DescribesEachKindOfDrive) {
  FixtureMachine machine;
  machine.root.addPartition("sda", "sda4", 8, 4);
  machine.root.addUdev(8, 4, {"ID_FS_TYPE=ntfs", "ID_FS_LABEL_ENC=WINDOWS"});
  machine.mounts += "40 28 0:80 / /mnt/win rw - fuseblk /dev/sda4 rw\n";
  const DriveTable table(machine.sources());
  struct Expected {
    char letter;
    DriveKind kind;
    const char* label;  // nullptr: the mount point may be a real folder with a label of its own
    const char* fileSystem;
    bool caseInsensitive;
    const char* networkSource;
  };
  const Expected expected[] = {
      {'C', DriveKind::kFixed, nullptr, "ext4", false, ""},
      {'D', DriveKind::kFixed, nullptr, "FAT32", true, ""},
      {'E', DriveKind::kFixed, nullptr, "btrfs", false, ""},
      {'F', DriveKind::kRemote, "", "cifs", false, "\\\\nas\\share"},
      {'G', DriveKind::kFixed, "WINDOWS", "NTFS", false, ""},     // fuseblk serving NTFS
      {'H', DriveKind::kRemovable, "MY STICK", "FAT", true, ""},  // label from /dev/disk/by-label
      {'I', DriveKind::kOptical, "", "", false, ""},              // no disc
      {'Q', DriveKind::kNoRootDir, "", "", false, ""},
  };
  for (const Expected& e : expected) {
    const VolumeInfo info = volumeInfo(e.letter, table);
    EXPECT_EQ(info.kind, e.kind) << e.letter;
    if (e.label != nullptr) {
      EXPECT_EQ(info.label, e.label) << e.letter;
    }
    EXPECT_EQ(info.fileSystem, e.fileSystem) << e.letter;
    EXPECT_EQ(info.caseInsensitive, e.caseInsensitive) << e.letter;
    EXPECT_EQ(info.networkSource, e.networkSource) << e.letter;
  }
  EXPECT_TRUE(volumeInfo('C', table).accessible);
  EXPECT_FALSE(volumeInfo('I', table).accessible);

  machine.mounts += "41 28 11:0 / /media/ann/HOLIDAY rw - iso9660 /dev/sr0 ro\n";
  const VolumeInfo disc = volumeInfo('i', table);
  EXPECT_EQ(disc.label, "HOLIDAY");
  EXPECT_EQ(disc.fileSystem, "CDFS");
  EXPECT_TRUE(disc.caseInsensitive);
}

TEST(VolumeInfo, NetworkSourcesReadAsUncNames) {
  const std::pair<const char*, const char*> cases[] = {
      {"//nas/share", "\\\\nas\\share"},  {"//nas/share/sub/", "\\\\nas\\share\\sub"},
      {"//nas//share", "\\\\nas\\share"}, {"server:/export/photos", "\\\\server\\export\\photos"},
      {"ann@host:", "\\\\ann@host"},      {"odd-source", "odd-source"},
  };
  for (const auto& [source, unc] : cases) {
    FixtureMachine machine;
    machine.mounts = std::string("28 1 8:2 / / rw - ext4 /dev/sda2 rw\n") +
                     "33 28 0:50 / /mnt/nas rw - nfs4 " + source + " rw\n";
    const DriveTable table(machine.sources());
    EXPECT_EQ(volumeInfo('D', table).networkSource, unc) << source;
  }
}

TEST(ChangeVolumeLabel, FailsWhereNoLabelCanBeWritten) {
  FixtureMachine machine;
  const DriveTable fixture(machine.sources());
  EXPECT_FALSE(changeVolumeLabel('H', "NEW", fixture));  // no disc
  EXPECT_FALSE(changeVolumeLabel('F', "NEW", fixture));  // a share
  EXPECT_FALSE(changeVolumeLabel('Q', "NEW", fixture));

  ScratchMount scratch;
  if (!scratch.mounted()) GTEST_SKIP() << "mounting is not allowed here";
  DriveSources sources = DriveSources::live();
  sources.includeTmpfs = true;
  const DriveTable table(sources);
  const std::optional<std::string> folder = toSystemPath(scratch.folder(), table);
  ASSERT_TRUE(folder.has_value());
  const char letter = (*folder)[0];
  // Never let a fault here relabel the machine's own disk.
  ASSERT_EQ(table.currentMount(letter).value_or(MountEntry{}).mountPoint, scratch.folder());
  EXPECT_FALSE(changeVolumeLabel(letter, "NEW", table));  // memory file systems have none
}

TEST(ChangeVolumeLabel, RenamesAMountedVolumeAndTheNewLabelIsReadAtOnce) {
  ScratchMount volume("ext4", "OLD");
  if (!volume.mounted()) GTEST_SKIP() << "mounting a disk image is not allowed here";
  const DriveTable table(DriveSources::live());
  const std::optional<std::string> folder = toSystemPath(volume.folder(), table);
  ASSERT_TRUE(folder.has_value());
  const char letter = (*folder)[0];
  // Never let a fault here relabel the machine's own disk.
  ASSERT_EQ(table.currentMount(letter).value_or(MountEntry{}).mountPoint, volume.folder());
  EXPECT_EQ(volumeInfo(letter, table).label, "OLD");
  ASSERT_TRUE(changeVolumeLabel(letter, "NEW NAME", table));
  EXPECT_EQ(volumeInfo(letter, table).label, "NEW NAME");
}

TEST(IsCaseInsensitiveMedia, OnlyFatIsoAndUdf) {
  for (const char* type : {"vfat", "msdos", "exfat", "iso9660", "udf"}) {
    EXPECT_TRUE(isCaseInsensitiveMedia(type)) << type;
  }
  for (const char* type : {"ext4", "ntfs3", "btrfs", "nfs4", "tmpfs", ""}) {
    EXPECT_FALSE(isCaseInsensitiveMedia(type)) << type;
  }
}

}  // namespace
}  // namespace vellomar

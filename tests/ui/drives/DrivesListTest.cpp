#include "ui/drives/UDrives.h"

#include <gtest/gtest.h>

#include "tests/platform/FixtureMachine.h"

namespace vellomar {
namespace {

TEST(DrivesListTest, ListsDrivesWithLabelsOrSharesLeavingRemovableOnesUntouched) {
  FixtureMachine machine;
  const DriveTable table(machine.sources());
  const std::vector<std::string> bare = BuildDriveList(false, table);
  EXPECT_EQ(bare, (std::vector<std::string>{"A:", "B:", "C:", "D:", "E:", "F:", "G:", "H:"}));

  const std::vector<std::string> named = BuildDriveList(true, table);
  ASSERT_EQ(named.size(), 8u);
  EXPECT_EQ(named[0], "A:");
  EXPECT_EQ(named[1], "B:");
  EXPECT_EQ(named[2].substr(0, 4), "C: [");
  EXPECT_EQ(named[5],
            "F: [\\\\nas\\share]  /mnt/nas");  // from the mount table, never the dead server
  EXPECT_EQ(named[6], "G:");
  EXPECT_EQ(named[7], "H: []");  // no disc, so no folder either

  EXPECT_EQ(GetDiskLabel('f', table), GetDiskLabel('F', table));
  EXPECT_EQ(GetDiskLabel('F', table), "\\\\nas\\share");
  EXPECT_EQ(GetDiskLabel('Z', table), "");
  EXPECT_TRUE(DriveIsRemovable('A', table));
  EXPECT_FALSE(DriveIsRemovable('C', table));
  EXPECT_EQ(CdDriveLetters(table), "H ");
  EXPECT_EQ(DeviceNodeOf('H', table), "/dev/sr0");
  EXPECT_EQ(DeviceNodeOf('C', table), "");
  EXPECT_EQ(QueryDriveType(7, table), DriveKind::kOptical);
  EXPECT_EQ(QueryDriveType(26, table), DriveKind::kNoRootDir);
}

TEST(DrivesListTest, AMachineWithoutDrivesGivesAnEmptyListAndNoCdLetters) {
  FixtureMachine machine;
  machine.mounts = "22 28 0:21 / /proc rw,relatime - proc proc rw\n";
  SystemRootBuilder empty;
  DriveSources sources = machine.sources();
  sources.systemRoot = empty.path();
  const DriveTable table(sources);
  EXPECT_TRUE(BuildDriveList(true, table).empty());
  EXPECT_EQ(CdDriveLetters(table), "  ");
  EXPECT_FALSE(DriveIsRemovable('B', table));
}

TEST(DrivesListTest, AnInsertedDiscGivesItsLabelAndVolumeType) {
  FixtureMachine machine;
  const DriveTable table(machine.sources());
  EXPECT_FALSE(QueryVolumeInfo('H', 255, table).accessible);
  test::TempFolder disc("disc");
  machine.mounts += "40 28 11:0 / " + disc.path() + " ro - iso9660 /dev/sr0 ro\n";
  const QueriedVolume volume = QueryVolumeInfo('h', 4, table);
  EXPECT_TRUE(volume.accessible);
  EXPECT_EQ(volume.type, DriveKind::kOptical);
  EXPECT_EQ(volume.label, "HOLI");  // cut to the caller's maximum
  EXPECT_EQ(volume.fileSystem, FileSystemKind::kOther);
  EXPECT_EQ(ReadVolumeLabel('H', table), "HOLIDAY");
  EXPECT_EQ(BuildDriveList(true, table).back(), "H: [HOLIDAY]  " + disc.path())
      << "the folder the letter stands for";
}

}  // namespace
}  // namespace vellomar

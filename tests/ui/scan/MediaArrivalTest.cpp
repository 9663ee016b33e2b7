#include "ui/scan/UMediaArrival.h"

#include <gtest/gtest.h>

#include "tests/platform/FixtureMachine.h"

namespace vellomar {
namespace {

const char* const kDiscInWriter = "40 28 11:0 / /media/ann/HOLIDAY ro - iso9660 /dev/sr0 ro\n";

TEST(MediaArrivalTest, ANewMountOfADriveIsAnArrivalOnce) {
  FixtureMachine machine;
  DriveTable table(machine.sources());
  TMediaWatch watch(table);
  std::string arrived;
  QObject::connect(&watch, &TMediaWatch::arrived, [&](char letter) { arrived += letter; });

  watch.mountTableChanged();
  EXPECT_EQ(arrived, "") << "drives mounted at start are not arrivals";
  machine.mounts += kDiscInWriter;
  watch.mountTableChanged();
  watch.mountTableChanged();
  EXPECT_EQ(arrived, "H");

  // Taken out and another disc put in: a second arrival.
  machine.mounts = kDesktopMounts;
  watch.mountTableChanged();
  machine.mounts += "41 28 11:0 / /media/ann/WORK ro - udf /dev/sr0 ro\n";
  watch.mountTableChanged();
  EXPECT_EQ(arrived, "HH");
}

TEST(MediaArrivalTest, ADriveMountedWhileRunningJoinsTheTable) {
  FixtureMachine machine;
  DriveTable table(machine.sources());
  TMediaWatch watch(table);
  const auto mountedAt = [&](const std::string& folder) -> char {
    for (const Drive& drive : table.drives()) {
      if (drive.mountPoint == folder) return drive.letter;
    }
    return 0;
  };
  ASSERT_EQ(mountedAt("/mnt/backup"), 0);
  const char before = mountedAt("/mnt/nas");
  machine.mounts += "42 28 0:70 / /mnt/backup rw - nfs4 nas:/backup rw\n";
  watch.mountTableChanged();
  EXPECT_NE(mountedAt("/mnt/backup"), 0);
  EXPECT_EQ(mountedAt("/mnt/nas"), before) << "letters given stay";
}

TEST(MediaArrivalTest, OnlyTheTwoCdLettersStartAScanInADatabaseWindow) {
  const struct {
    char letter;
    bool scanAfterInsert;
    bool databaseWindowActive;
    bool scans;
  } cases[] = {
      {'H', true, true, true},  {'I', true, true, true},   {'J', true, true, false},
      {'G', true, true, false}, {'H', false, true, false}, {'H', true, false, false},
      {' ', true, true, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ScansArrival(c.letter, "HI", c.scanAfterInsert, c.databaseWindowActive), c.scans)
        << c.letter << c.scanAfterInsert << c.databaseWindowActive;
  }
  EXPECT_FALSE(ScansArrival('H', "  ", true, true)) << "a machine without CD drives";
}

}  // namespace
}  // namespace vellomar

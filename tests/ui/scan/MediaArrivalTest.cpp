#include "ui/scan/UMediaArrival.h"

#include <gtest/gtest.h>

#include "tests/platform/FixtureMachine.h"

namespace vellomar {
namespace {

const char* const kDiscInWriter = "40 28 11:0 / /media/ann/HOLIDAY ro - iso9660 /dev/sr0 ro\n";

TEST(MediaArrivalTest, ANewMountOfADriveIsAnArrivalOnce) {
  FixtureMachine machine;
  const DriveTable table(machine.sources());
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

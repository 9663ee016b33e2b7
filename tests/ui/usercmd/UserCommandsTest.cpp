#include "ui/usercmd/UUserCommands.h"

#include <gtest/gtest.h>

#include "abi/UserCommandAbi.h"

namespace vellomar {
namespace {

TEST(UserCommandsTest, PathsOfAFileAndOfAFileInAnArchive) {
  const struct {
    const char* base;
    const char* folder;
    const char* archive;
    const char* full;
    const char* inside;
  } cases[] = {
      {"C:", "\\", "", "C:\\a.txt", ""},
      {"C:\\", "\\", "", "C:\\a.txt", ""},
      {"D:\\Data", "\\photos", "", "D:\\Data\\photos\\a.txt", ""},
      {"D:\\Data\\", "\\photos\\", "", "D:\\Data\\photos\\a.txt", ""},
      {"E:", "\\x\\pack.zip", "\\x\\pack.zip", "E:\\x\\pack.zip", "a.txt"},
      {"E:", "\\x\\pack.zip\\docs\\old", "\\x\\pack.zip", "E:\\x\\pack.zip", "docs/old/a.txt"},
  };
  for (const auto& c : cases) {
    const UserCommandPaths paths = UserCommandPathsOf(c.base, c.folder, c.archive, "a.txt");
    EXPECT_EQ(paths.fullPath, c.full) << c.base << " " << c.folder;
    EXPECT_EQ(paths.pathInArchive, c.inside) << c.base << " " << c.folder;
  }
}

TEST(UserCommandsTest, FlagsTellWhatIsKnownOfTheFileAndItsDrive) {
  const struct {
    bool exists;
    bool accessible;
    DriveKind type;
    const char* label;
    bool inArchive;
    int32_t flags;
  } cases[] = {
      {true, true, DriveKind::kFixed, "data", false, kUserFileExists | kUserVolumeAccessible},
      {false, false, DriveKind::kOptical, "", false, kUserRemovableDrive},
      {true, true, DriveKind::kRemovable, "OTHER", true,
       kUserFileExists | kUserVolumeAccessible | kUserRemovableDrive | kUserLabelDiffers |
           kUserInArchive},
      {false, true, DriveKind::kRemote, "\\\\nas\\share", false,
       kUserVolumeAccessible | kUserNetworkDrive | kUserLabelDiffers},
  };
  for (const auto& c : cases) {
    QueriedVolume volume;
    volume.accessible = c.accessible;
    volume.type = c.type;
    volume.label = c.label;
    EXPECT_EQ(UserCommandFlagsOf(c.exists, volume, "DATA", c.inArchive), c.flags) << c.label;
  }
}

}  // namespace
}  // namespace vellomar

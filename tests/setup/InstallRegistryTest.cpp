#include "setup/InstallRegistry.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/PRegistry.h"
#include "tests/setup/InstallFixtures.h"
#include "tests/setup/ZipTestFiles.h"

namespace vellomar::setup {
namespace {

using test::UserHome;

TEST(InstallRegistry, LastWriteTimesAreTicksOf100NanosecondsSince1601) {
  struct Case {
    FileTime time;
    uint64_t ticks;
  };
  const Case cases[] = {
      {{0, 0}, 116444736000000000},
      {{946684800, 123456789}, 125911584001234567},  // 2000-01-01 00:00:00.123456789
      {{-11644473600, 0}, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(fileTimeTicks(c.time), c.ticks) << c.time.seconds;
}

TEST(InstallRegistry, OnlyFilesMarkedForTheirTimeGetTimeValuesUnderTheirOwnNumbers) {
  UserHome home;
  const std::string target = home.at("T/");
  const timespec times[2] = {{946684800, 123456789}, {946684800, 123456789}};
  std::vector<std::string> installed;
  std::vector<bool> timed;
  std::filesystem::create_directories(target);
  for (int i = 0; i < 16; ++i) {
    const std::string name = "file" + std::to_string(i);
    const bool marked = i != 0 && i != 5 && i != 9;  // the last of the thirteen is not there
    installed.push_back((marked ? "*" : " ") + name);
    timed.push_back(marked && i != 15);
    if (i == 15) continue;
    test::writeFile(target + name, {1});
    ASSERT_EQ(::utimensat(AT_FDCWD, (target + name).c_str(), times, 0), 0);
  }
  UninstallFolders folders;
  folders.AddUninstallFolder(target + "Export");
  folders.AddUninstallFolder(target);
  WriteInstallRegistry(target, folders, installed);

  Registry registry;
  registry.rootKey = RegistryRoot::kLocalMachine;
  ASSERT_TRUE(registry.openKey("\\Software\\Halvik\\Vellomar\\Uninstall", false));
  EXPECT_EQ(registry.readString("Folder0"), target + "Export");
  EXPECT_EQ(registry.readString("Folder1"), target);
  EXPECT_FALSE(registry.valueExists("Folder2"));
  for (size_t n = 0; n < installed.size(); ++n) {
    const std::string number = std::to_string(n);
    EXPECT_EQ(registry.readString("File" + number), installed[n].substr(1));
    EXPECT_EQ(registry.readInteger("TimeLo" + number),
              timed[n] ? std::optional<uint32_t>(0x25801687) : std::nullopt)
        << n;
    EXPECT_EQ(registry.readInteger("TimeHi" + number),
              timed[n] ? std::optional<uint32_t>(0x01bf53eb) : std::nullopt)
        << n;
  }
  EXPECT_EQ(registry.readString("File16"), "Vellomar.GID");
  EXPECT_EQ(registry.readString("File17"), "Vellomar.FTS");
  EXPECT_FALSE(registry.valueExists("File18"));
  EXPECT_FALSE(registry.valueExists("TimeLo16"));
  EXPECT_FALSE(registry.valueExists("TimeLo17"));
}

}  // namespace
}  // namespace vellomar::setup

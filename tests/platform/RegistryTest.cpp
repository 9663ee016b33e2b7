#include "platform/PRegistry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/EnvironmentVariable.h"
#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

using test::contentOf;
using test::TempFolder;

TEST(Registry, ValuesWrittenAreReadBackFromTheFileInRegedit4Form) {
  TempFolder folder("registry");
  const std::string file = folder.at("deep/er/registry.reg");
  {
    Registry registry(file);
    registry.rootKey = RegistryRoot::kLocalMachine;
    ASSERT_TRUE(registry.openKey("\\Software\\Halvik\\Vellomar", true));
    registry.writeInteger("VersionMinor", 15);
    registry.writeString("Path", "/home/a \"b\"\\c/Vellomar/");
    registry.writeString("Name", "Složka");
    registry.writeString("", "default");
    registry.closeKey();
  }
  EXPECT_EQ(contentOf(file),
            "REGEDIT4\n\n"
            "[HKEY_LOCAL_MACHINE\\Software]\n\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Halvik]\n\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Halvik\\Vellomar]\n"
            "\"VersionMinor\"=dword:0000000f\n"
            "\"Path\"=\"/home/a \\\"b\\\"\\\\c/Vellomar/\"\n"
            "\"Name\"=\"Složka\"\n"
            "@=\"default\"\n\n");

  Registry again(file);
  again.rootKey = RegistryRoot::kLocalMachine;
  ASSERT_TRUE(again.openKey("\\Software\\Halvik\\Vellomar", false));
  EXPECT_EQ(again.readInteger("VersionMinor"), 15u);
  EXPECT_EQ(again.readString("Path"), "/home/a \"b\"\\c/Vellomar/");
  EXPECT_EQ(again.readString("Name"), "Složka");
  EXPECT_EQ(again.readString(""), "default");
  // A value of the other kind is not there for the reader that asks.
  EXPECT_EQ(again.readString("VersionMinor"), std::nullopt);
  EXPECT_EQ(again.readInteger("Path"), std::nullopt);
}

TEST(Registry, KeyAndValueNamesIgnoreCase) {
  TempFolder folder("registry");
  Registry registry(folder.at("registry.reg"));
  registry.rootKey = RegistryRoot::kClassesRoot;
  ASSERT_TRUE(registry.openKey("\\Vellomar.Database", true));
  registry.writeString("", "Vellomar database");
  ASSERT_TRUE(registry.openKey("\\VELLOMAR.database", false));
  registry.writeString("", "replaced");
  registry.writeString("Path", "a");
  registry.writeString("PATH", "b");
  EXPECT_EQ(registry.readString("path"), "b");
  EXPECT_TRUE(registry.deleteValue("pAtH"));
  EXPECT_FALSE(registry.valueExists("Path"));
  EXPECT_EQ(registry.text(),
            "REGEDIT4\n\n[HKEY_CLASSES_ROOT\\Vellomar.Database]\n@=\"replaced\"\n\n");
}

TEST(Registry, OpenFollowsPathsAbsoluteOrRelativeAndMakesKeysOnlyWhenAsked) {
  TempFolder folder("registry");
  Registry registry(folder.at("registry.reg"));
  registry.rootKey = RegistryRoot::kClassesRoot;
  struct Case {
    const char* key;
    bool canCreate;
    bool opened;
  };
  const Case cases[] = {
      {"\\Type\\shell", false, false},
      {"\\Type", true, true},
      {"shell", true, true},
      {"open", true, true},
      {"\\Type\\shell\\open", false, true},
      {"\\a\\\\b", true, false},
      {"", true, false},
      {"\\", true, false},
      {"\\Type\\", false, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(registry.openKey(c.key, c.canCreate), c.opened) << c.key;
  }
  registry.rootKey = RegistryRoot::kCurrentUser;
  EXPECT_FALSE(registry.openKey("\\Type", false)) << "each root has its own keys";
  EXPECT_EQ(registry.text(),
            "REGEDIT4\n\n"
            "[HKEY_CLASSES_ROOT\\Type]\n\n"
            "[HKEY_CLASSES_ROOT\\Type\\shell]\n\n"
            "[HKEY_CLASSES_ROOT\\Type\\shell\\open]\n\n");
}

TEST(Registry, AFileFromElsewhereIsReadAndWhatItCannotTellIsKeptAsItStands) {
  TempFolder folder("registry");
  const std::string file = folder.file("registry.reg",
                                       "REGEDIT4\r\n\r\n"
                                       "; a comment\r\n"
                                       "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
                                       "\"Binary\"=hex:01,02,\\\r\n"
                                       "  03,04\r\n"
                                       "\"Count\"=dword:0000002A\r\n"
                                       "\"Count\"=dword:0000002b\r\n"
                                       "\"Broken\"=\"no end\r\n"
                                       "[-HKEY_CURRENT_USER\\Software\\Gone]\r\n"
                                       "\"Ignored\"=\"x\"\r\n");
  Registry registry(file);
  ASSERT_TRUE(registry.openKey("\\Software\\Other", false));
  EXPECT_EQ(registry.readInteger("Count"), 0x2Bu) << "the later line wins";
  EXPECT_FALSE(registry.valueExists("Ignored"));
  registry.writeString("Added", "y");
  registry.closeKey();
  EXPECT_EQ(contentOf(file),
            "REGEDIT4\n\n"
            "[HKEY_CURRENT_USER\\Software\\Other]\n"
            "\"Binary\"=hex:01,02,03,04\n"
            "\"Count\"=dword:0000002b\n"
            "\"Broken\"=\"no end\n"
            "\"Added\"=\"y\"\n\n");
}

TEST(Registry, FailuresToReadOrWriteTheFileAreErrorsNeverSilent) {
  TempFolder folder("registry");
  const std::string blocker = folder.file("plain", "x");
  {
    Registry registry(blocker + "/registry.reg");
    ASSERT_TRUE(registry.openKey("\\Key", true));
    registry.writeString("Value", "x");
    EXPECT_THROW(registry.closeKey(), RegistryError);
  }
  std::filesystem::create_directory(folder.at("folder.reg"));
  EXPECT_THROW(Registry(folder.at("folder.reg")), RegistryError);

  Registry registry(folder.at("registry.reg"));
  EXPECT_THROW(registry.writeString("Value", "x"), RegistryError) << "no key is open";
  ASSERT_TRUE(registry.openKey("\\Key", true));
  EXPECT_THROW(registry.writeString("Value", "two\nlines"), RegistryError);
}

TEST(Registry, NothingChangedWritesNothing) {
  TempFolder folder("registry");
  Registry registry(folder.at("registry.reg"));
  EXPECT_FALSE(registry.openKey("\\Key", false));
  registry.closeKey();
  EXPECT_FALSE(std::filesystem::exists(folder.at("registry.reg")));
}

TEST(Registry, TheFileLivesInTheUsersConfigFolder) {
  const test::EnvironmentVariable config("XDG_CONFIG_HOME", "/cfg");
  EXPECT_EQ(registryFilePath(), "/cfg/vellomar/registry.reg");
  const test::EnvironmentVariable unset("XDG_CONFIG_HOME", nullptr);
  const test::EnvironmentVariable home("HOME", "/home/user");
  EXPECT_EQ(registryFilePath(), "/home/user/.config/vellomar/registry.reg");
}

}  // namespace
}  // namespace vellomar

#include "platform/PUserFolders.h"

#include <gtest/gtest.h>

#include "tests/support/EnvironmentVariable.h"

namespace vellomar {
namespace {

TEST(UserFolders, BaseDirectoryVariablesCountOnlyWhenAbsolute) {
  struct Case {
    const char* home;
    const char* config;
    const char* data;
    const char* expectedConfig;
    const char* expectedData;
  };
  const Case cases[] = {
      {"/home/u", nullptr, nullptr, "/home/u/.config/", "/home/u/.local/share/"},
      {"/home/u/", "/c", "/d/", "/c/", "/d/"},
      {"/home/u", "", "relative", "/home/u/.config/", "/home/u/.local/share/"},
  };
  for (const Case& c : cases) {
    const test::EnvironmentVariable home("HOME", c.home);
    const test::EnvironmentVariable config("XDG_CONFIG_HOME", c.config);
    const test::EnvironmentVariable data("XDG_DATA_HOME", c.data);
    EXPECT_EQ(homeFolder(), "/home/u/");
    EXPECT_EQ(userConfigFolder(), c.expectedConfig);
    EXPECT_EQ(userDataFolder(), c.expectedData);
  }
  // Without $HOME the account's own home folder is taken.
  const test::EnvironmentVariable home("HOME", nullptr);
  EXPECT_EQ(homeFolder().front(), '/');
  EXPECT_EQ(homeFolder().back(), '/');
}

}  // namespace
}  // namespace vellomar

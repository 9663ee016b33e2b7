#include "platform/PTempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "tests/support/EnvironmentVariable.h"
#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

namespace fs = std::filesystem;

TEST(PTempFolder, SystemTempFolderFromTmpDirOnlyWhenItNamesAFolder) {
  test::TempFolder folder("tmpdir");
  const std::string file = folder.file("plain", "x");
  struct Case {
    const char* tmpDir;
    std::string expected;
  };
  const Case cases[] = {
      {nullptr, "/tmp/"},           {folder.path().c_str(), folder.path() + "/"},
      {"relative/folder", "/tmp/"}, {file.c_str(), "/tmp/"},
      {"/no/such/folder", "/tmp/"},
  };
  for (const Case& c : cases) {
    const test::EnvironmentVariable scope("TMPDIR", c.tmpDir);
    EXPECT_EQ(systemTempFolder(), c.expected) << (c.tmpDir ? c.tmpDir : "unset");
  }
}

TEST(PTempFolder, PrivateFolderIsOwnersOnlyAndGoesWithAllItHoldsWithoutFollowingLinks) {
  test::TempFolder parent("tmpparent");
  test::TempFolder outside("tmpoutside");
  const std::string kept = outside.file("kept.txt", "keep me");
  const test::EnvironmentVariable scope("TMPDIR", parent.path().c_str());
  std::string path;
  {
    const auto first = PrivateTempFolder::create("Vlmr");
    const auto second = PrivateTempFolder::create("Vlmr");
    ASSERT_TRUE(first && second);
    path = first->path();
    EXPECT_TRUE(path.starts_with(parent.path() + "/Vlmr")) << path;
    EXPECT_NE(path, second->path());
    struct stat info {};
    ASSERT_EQ(lstat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    fs::create_directories(path + "inner");
    ASSERT_EQ(symlink(outside.path().c_str(), (path + "inner/link").c_str()), 0);
    ASSERT_EQ(symlink(kept.c_str(), (path + "file-link").c_str()), 0);
  }
  EXPECT_FALSE(fs::exists(fs::symlink_status(path)));
  EXPECT_TRUE(fs::is_empty(parent.path()));
  EXPECT_EQ(test::contentOf(kept), "keep me");
}

}  // namespace
}  // namespace vellomar

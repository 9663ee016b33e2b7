#include "platform/PTempFolder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
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

// Folders of runs that were killed go; a folder whose process runs, or that a process still
// holds, stays, and so does anything that is not a folder of the prefix.
TEST(PTempFolder, AbandonedFoldersAreRemovedLiveOnesKept) {
  test::TempFolder parent("tmpabandoned");
  test::TempFolder outside("tmpoutside");
  const std::string prefix = "VellomarTemp-";
  // Beyond any process id the system hands out.
  const std::string dead = prefix + "999999999-";
  parent.file(dead + "aaaaaa/inside/file.txt", "left by a killed run");
  parent.file(prefix + "oldname/file.txt", "made without an id");
  parent.file(prefix + std::to_string(::getpid()) + "-bbbbbb/file.txt", "just made, not locked");
  parent.file(dead + "held/file.txt", "still locked");
  const int holder = ::open(parent.at(dead + "held").c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);
  const std::string precious = outside.file("keep.txt", "precious");
  fs::create_directory_symlink(outside.path(), parent.at(dead + "link"));
  parent.file(dead + "file", "a file of the prefix");
  parent.file("Other-999999999-cccccc/file.txt", "another prefix");
  const auto live = PrivateTempFolder::createIn(parent.path(), prefix);
  ASSERT_NE(live, nullptr);
  EXPECT_TRUE(fs::path(live->path())
                  .parent_path()
                  .filename()
                  .string()
                  .starts_with(prefix + std::to_string(::getpid()) + "-"));

  EXPECT_EQ(PrivateTempFolder::removeAbandoned(parent.path(), prefix), 2);
  EXPECT_FALSE(fs::exists(parent.at(dead + "aaaaaa")));
  EXPECT_FALSE(fs::exists(parent.at(prefix + "oldname")));
  EXPECT_TRUE(fs::exists(parent.at(prefix + std::to_string(::getpid()) + "-bbbbbb")));
  EXPECT_TRUE(fs::exists(parent.at(dead + "held/file.txt")));
  EXPECT_TRUE(fs::exists(live->path()));
  EXPECT_EQ(test::contentOf(precious), "precious");
  EXPECT_TRUE(fs::is_symlink(parent.at(dead + "link")));
  EXPECT_TRUE(fs::exists(parent.at(dead + "file")));
  EXPECT_TRUE(fs::exists(parent.at("Other-999999999-cccccc")));
  ::close(holder);
  EXPECT_EQ(PrivateTempFolder::removeAbandoned(parent.path(), prefix), 1) << "let go now";
}

}  // namespace
}  // namespace vellomar

#include "platform/PWholeFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

using test::contentOf;
using test::TempFolder;

TEST(WholeFile, ReplacingMakesTheFoldersKeepsThePermissionsAndLeavesNoTemporaryFile) {
  TempFolder folder("wholefile");
  const std::string file = folder.at("a/b/settings");
  ASSERT_TRUE(replaceWholeFile(file, "first"));
  EXPECT_EQ(readFileContents(file), "first");
  ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
  ASSERT_TRUE(replaceWholeFile(file, std::string(100000, 'x')));
  EXPECT_EQ(contentOf(file), std::string(100000, 'x'));
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.at("a/b")),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(WholeFile, AFailureLeavesTheOldFileAndTellsWhy) {
  TempFolder folder("wholefile");
  const std::string plain = folder.file("plain", "old");
  EXPECT_FALSE(replaceWholeFile(plain + "/child", "new"));
  EXPECT_EQ(errno, ENOTDIR);
  std::filesystem::create_directory(folder.at("folder"));
  EXPECT_FALSE(replaceWholeFile(folder.at("folder"), "new"));
  EXPECT_TRUE(std::filesystem::is_directory(folder.at("folder")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                          std::filesystem::directory_iterator()),
            2);
  EXPECT_EQ(readFileContents(folder.at("missing")), std::nullopt);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_FALSE(makeFolderChain(plain));
  EXPECT_TRUE(makeFolderChain(folder.at("x/y/z/")));
}

}  // namespace
}  // namespace vellomar

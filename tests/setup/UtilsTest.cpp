#include "setup/Utils.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "foundation/UExceptions.h"
#include "tests/setup/ZipTestFiles.h"

namespace vellomar::setup {
namespace {

using test::TempFolder;

int64_t modifiedSeconds(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_mtim.tv_sec : -1;
}

TEST(Utils, SplitPathTakesOnlyShortExtensionsAfterTheLastSeparator) {
  struct Case {
    const char* path;
    const char* folder;
    const char* name;
    const char* extension;
  };
  const Case cases[] = {
      {"/data/file.txt", "/data/", "file", ".txt"},
      {"/data/page.html", "/data/", "page.html", ""},
      {"readme", "", "readme", ""},
      {"readme.txt", "", "readme", ".txt"},
      {"/a.b/c", "/a.b/", "c", ""},
      {"/data/", "/data/", "", ""},
      {"/x/archive.tar.gz", "/x/", "archive.tar", ".gz"},
  };
  for (const Case& c : cases) {
    const SplitPathParts parts = SplitPath(c.path);
    EXPECT_EQ(parts.folder.view(), c.folder) << c.path;
    EXPECT_EQ(parts.name.view(), c.name) << c.path;
    EXPECT_EQ(parts.extension.view(), c.extension) << c.path;
  }
}

TEST(Utils, ExistenceTests) {
  TempFolder folder;
  const std::string file = folder.path() + "/file.txt";
  test::writeFile(file, {1});
  EXPECT_TRUE(FileExistsShort(file));
  EXPECT_TRUE(FileExistsShort(folder.path() + "/."));  // folders are not told apart here
  EXPECT_FALSE(FileExistsShort(folder.path() + "/missing"));
  std::filesystem::create_symlink(folder.path() + "/missing", folder.path() + "/dangling");
  EXPECT_TRUE(FileExistsShort(folder.path() + "/dangling"));  // the entry is there

  EXPECT_TRUE(ExistsFolder("/"));
  EXPECT_TRUE(ExistsFolder(folder.path()));
  EXPECT_TRUE(ExistsFolder(folder.path() + "/"));
  EXPECT_FALSE(ExistsFolder(folder.path() + "/missing/"));
}

TEST(Utils, ForceFoldersCreatesTheMissingChain) {
  TempFolder folder;
  ForceFolders("/");
  ForceFolders(folder.path() + "/a/b/c");
  EXPECT_TRUE(std::filesystem::is_directory(folder.path() + "/a/b/c"));
  ForceFolders(folder.path() + "/a/b/c/");  // existing: nothing to do
  EXPECT_TRUE(std::filesystem::is_directory(folder.path() + "/a/b/c"));
}

TEST(Utils, ForceFoldersDoesNotSkipShortPaths) {
  TempFolder folder;
  test::CurrentFolder current(folder.path());
  ForceFolders("ab");
  ForceFolders("cd/");
  EXPECT_TRUE(std::filesystem::is_directory(folder.path() + "/ab"));
  EXPECT_TRUE(std::filesystem::is_directory(folder.path() + "/cd"));
}

TEST(Utils, ForceFoldersNamesTheFolderItCannotCreate) {
  TempFolder folder;
  test::writeFile(folder.path() + "/file", {1});
  const std::string blocked = folder.path() + "/file/sub";
  try {
    ForceFolders(blocked + "/deeper");
    FAIL() << "no exception";
  } catch (const EKstvNormalException& e) {
    EXPECT_EQ(std::string(e.what()), "Složku " + blocked + " nelze vytvořit.");
  }
}

TEST(Utils, SetFileDosDateDatesTheFileAtMidnightOfItsDay) {
  TempFolder folder;
  const std::string file = folder.path() + "/dated.txt";
  test::writeFile(file, {1});
  // 2021-03-04 15:16:18: the date word 0x5264, the time word 0x7A09.
  SetFileDosDate(file, 0x52647A09);
  EXPECT_EQ(modifiedSeconds(file), 1614816000);  // 2021-03-04 00:00:00 UTC

  SetFileDosDate(file, 0x52007A09);  // day 0: not a date, the file keeps its time
  EXPECT_EQ(modifiedSeconds(file), 1614816000);
  SetFileDosDate(folder.path() + "/missing", 0x52647A09);  // no error either
}

TEST(Utils, GetProgramDirIsTheTestProgramsFolder) {
  const std::string dir = GetProgramDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '/');
  EXPECT_TRUE(std::filesystem::exists(dir + "setup_tests"));
}

}  // namespace
}  // namespace vellomar::setup

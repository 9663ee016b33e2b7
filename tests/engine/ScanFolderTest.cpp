#include "engine/UScanFolder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

std::vector<std::string> namesOf(const std::vector<ScanEntry>& entries) {
  std::vector<std::string> names;
  for (const ScanEntry& entry : entries) names.push_back(entry.Name);
  return names;
}

const ScanEntry* entryNamed(const std::vector<ScanEntry>& entries, const std::string& name) {
  for (const ScanEntry& entry : entries) {
    if (entry.Name == name) return &entry;
  }
  return nullptr;
}

TEST(ScanFolder, CaseRuleLowersOnlyNamesWithoutSmallLetters) {
  struct Case {
    const char* name;
    const char* stored;
  };
  const Case cases[] = {
      {"README.TXT", "readme.txt"}, {"ReadMe.TXT", "ReadMe.TXT"}, {"2001", "2001"},
      {"ÄRGER.DOC", "ärger.doc"},   {"Ärger.DOC", "Ärger.DOC"},   {"A-B_1.C", "a-b_1.c"},
  };
  for (const Case& c : cases) EXPECT_EQ(caseRuleName(c.name), c.stored) << c.name;
}

TEST(ScanFolder, LinksAndSpecialFilesAreListedAsFilesNeverEntered) {
  test::TempFolder dir("scanfolder");
  dir.file("Docs/a.txt", "a");
  dir.file("README.TXT", "12345");
  dir.file("readme.txt", "1");
  ASSERT_EQ(::mkdir(dir.at("docs").c_str(), 0755), 0);
  ASSERT_EQ(::symlink(".", dir.at("loop").c_str()), 0);
  ASSERT_EQ(::mkfifo(dir.at("x.txt").c_str(), 0644), 0);
  const auto volume = openScanVolume(dir.path());
  ASSERT_TRUE(volume.has_value());
  EXPECT_FALSE(volume->CaseInsensitive);

  const auto folders = readScanFolder(dir.path(), *volume, ScanPick::kFolders);
  EXPECT_EQ(namesOf(folders), (std::vector<std::string>{"Docs", "docs"}))
      << "names that differ only in case keep both, in a fixed order";
  EXPECT_TRUE(folders[0].Enterable);

  const auto files = readScanFolder(dir.path(), *volume, ScanPick::kFiles);
  EXPECT_EQ(namesOf(files), (std::vector<std::string>{"loop", "README.TXT", "readme.txt", "x.txt"}))
      << "capitals are kept off case-insensitive media";
  EXPECT_TRUE(entryNamed(files, "README.TXT")->Regular);
  EXPECT_EQ(entryNamed(files, "README.TXT")->Size, 5);
  EXPECT_EQ(entryNamed(files, "README.TXT")->Attributes & 0x20, 0x20);
  for (const char* special : {"loop", "x.txt"}) {
    const ScanEntry* entry = entryNamed(files, special);
    EXPECT_FALSE(entry->Regular) << special;
    EXPECT_FALSE(entry->Enterable) << special;
    EXPECT_EQ(entry->Attributes & 0x10, 0) << special;
  }
  EXPECT_EQ(entryNamed(files, "loop")->Size, 1) << "the link's own size";
}

TEST(ScanFolder, UnreadableFolderGivesNothing) {
  test::TempFolder dir("scanfolder");
  const auto volume = openScanVolume(dir.path());
  ASSERT_TRUE(volume.has_value());
  EXPECT_TRUE(readScanFolder(dir.at("missing"), *volume, ScanPick::kFiles).empty());
  EXPECT_FALSE(openScanVolume(dir.at("missing")).has_value());
}

TEST(ScanFolder, MountPointIsListedButNotEntered) {
  test::TempFolder dir("scanfolder");
  dir.file("media/keep.txt", "");
  const std::string mountPoint = dir.at("media");
  if (geteuid() != 0 || ::mount("vellomar-test", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "mounting needs privileges";
  }
  const auto volume = openScanVolume(dir.path());
  const auto folders = readScanFolder(dir.path(), *volume, ScanPick::kFolders);
  ::umount(mountPoint.c_str());
  ASSERT_EQ(namesOf(folders), std::vector<std::string>{"media"});
  EXPECT_FALSE(folders[0].Enterable);
  const auto inside = [&] {
    // A folder of another file system reads as empty even when asked for directly.
    if (::mount("vellomar-test", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0) return false;
    ::close(::creat((mountPoint + "/other.txt").c_str(), 0644));
    const bool empty = readScanFolder(mountPoint, *volume, ScanPick::kFiles).empty();
    ::umount(mountPoint.c_str());
    return empty;
  };
  EXPECT_TRUE(inside());
}

}  // namespace
}  // namespace vellomar

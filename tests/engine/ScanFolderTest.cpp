#include "engine/UScanFolder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/PText.h"
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

// One folder read as the walk reads it: its subfolders and its files.
struct Read {
  std::vector<ScanEntry> folders;
  std::vector<ScanEntry> files;
};

Read readFolder(const std::string& path, const ScanVolume& volume) {
  FindSearch folder;
  folder.openAt(path);
  ScanFolderContents contents = readScanFolder(folder, volume);
  Read read{contents.Folders, {}};
  contents.Files.visit([&read](ScanEntry& entry) { read.files.push_back(entry); });
  return read;
}

ScanVolume volumeAt(const std::string& path) {
  FindSearch folder;
  EXPECT_TRUE(folder.openAt(path));
  return scanVolumeOf(folder);
}

TEST(ScanFolder, StoredNamesTakeASlashForABackslash) {
  struct Case {
    const char* found;
    bool caseInsensitive;
    const char* stored;
  };
  const Case cases[] = {
      {"back\\slash.txt", false, "back/slash.txt"},
      {"A\\B", false, "A/B"},
      {"A\\B", true, "a/b"},
      {"plain", false, "plain"},
  };
  for (const Case& c : cases) EXPECT_EQ(storedNameOf(c.found, c.caseInsensitive), c.stored);
}

TEST(ScanFolder, FilesComeInTheOrderOfTheirNamesWhateverTheirFirstBytes) {
  test::TempFolder dir("scanorder");
  // Long shared beginnings, case-only differences, ignored characters and non-ASCII names.
  const std::vector<std::string> names = {"report-2020-final.txt",
                                          "report-2020-Final.txt",
                                          "report-2020-fin.txt",
                                          "report-2020-finalé.txt",
                                          "reportx",
                                          "Äpfel.txt",
                                          "apfel.txt",
                                          "b",
                                          "a",
                                          "ab",
                                          "-dash",
                                          "dash",
                                          "zz",
                                          "é"};
  for (const std::string& name : names) dir.file(name, "x");
  const std::vector<std::string> read = namesOf(readFolder(dir.path(), volumeAt(dir.path())).files);
  EXPECT_EQ(read.size(), names.size());
  EXPECT_TRUE(std::is_sorted(
      read.begin(), read.end(),
      [](const std::string& a, const std::string& b) { return compareTextThenBytes(a, b) < 0; }))
      << testing::PrintToString(read);
}

TEST(ScanFolder, LinksAndSpecialFilesAreListedAsFilesNeverEntered) {
  test::TempFolder dir("scanfolder");
  dir.file("Docs/a.txt", "a");
  dir.file("README.TXT", "12345");
  dir.file("readme.txt", "1");
  dir.file("back\\slash.txt", "12");
  ASSERT_EQ(::mkdir(dir.at("docs").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir(dir.at("dir\\back").c_str(), 0755), 0);
  ASSERT_EQ(::symlink(".", dir.at("loop").c_str()), 0);
  ASSERT_EQ(::mkfifo(dir.at("x.txt").c_str(), 0644), 0);
  const ScanVolume volume = volumeAt(dir.path());
  EXPECT_FALSE(volume.CaseInsensitive);

  const Read read = readFolder(dir.path(), volume);
  EXPECT_EQ(namesOf(read.folders), (std::vector<std::string>{"dir/back", "Docs", "docs"}))
      << "names that differ only in case keep both, in a fixed order";
  EXPECT_TRUE(read.folders[1].Enterable);
  EXPECT_EQ(read.folders[0].FoundName, "dir\\back");

  const std::vector<ScanEntry>& files = read.files;
  EXPECT_EQ(namesOf(files), (std::vector<std::string>{"back/slash.txt", "loop", "README.TXT",
                                                      "readme.txt", "x.txt"}))
      << "capitals are kept off case-insensitive media";
  EXPECT_EQ(entryNamed(files, "back/slash.txt")->FoundName, "back\\slash.txt");
  EXPECT_EQ(entryNamed(files, "back/slash.txt")->Size, 2);
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
  const ScanVolume volume = volumeAt(dir.path());
  FindSearch missing;
  EXPECT_FALSE(missing.openAt(dir.at("missing")));
  const ScanFolderContents contents = readScanFolder(missing, volume);
  EXPECT_TRUE(contents.Folders.empty());
  EXPECT_TRUE(contents.Files.empty());
}

TEST(ScanFolder, MountPointIsListedButNotEntered) {
  test::TempFolder dir("scanfolder");
  dir.file("media/keep.txt", "");
  const std::string mountPoint = dir.at("media");
  if (geteuid() != 0 || ::mount("vellomar-test", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "mounting needs privileges";
  }
  const ScanVolume volume = volumeAt(dir.path());
  const Read read = readFolder(dir.path(), volume);
  ::umount(mountPoint.c_str());
  ASSERT_EQ(namesOf(read.folders), std::vector<std::string>{"media"});
  EXPECT_FALSE(read.folders[0].Enterable);
  const auto inside = [&] {
    // A folder of another file system reads as empty even when asked for directly.
    if (::mount("vellomar-test", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0) return false;
    ::close(::creat((mountPoint + "/other.txt").c_str(), 0644));
    const bool empty = readFolder(mountPoint, volume).files.empty();
    ::umount(mountPoint.c_str());
    return empty;
  };
  EXPECT_TRUE(inside());
}

}  // namespace
}  // namespace vellomar

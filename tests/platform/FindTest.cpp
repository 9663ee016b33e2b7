#include "platform/PFind.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include "platform/PPaths.h"
#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

namespace fs = std::filesystem;

time_t localTime(int year, int month, int day, int hour, int minute, int second) {
  struct tm t {};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return mktime(&t);
}

class FindTest : public testing::Test {
 protected:
  std::string file(const std::string& name, const std::string& text = "") {
    return folder.file(name, text);
  }
  std::map<std::string, FindEntry> list() {
    std::map<std::string, FindEntry> entries;
    FindSearch search;
    EXPECT_TRUE(search.openAt(dir));
    FindEntry entry;
    while (search.next(entry)) entries[entry.name] = entry;
    EXPECT_FALSE(search.next(entry));
    return entries;
  }

  test::TempFolder folder{"vellomar-find"};
  const std::string& dir = folder.path();
};

TEST_F(FindTest, DescribesEveryKindOfEntryWithoutFollowingOrOpeningIt) {
  file("plain.txt", "12345");
  chmod(file("locked.txt", "x").c_str(), 0444);
  file(".profile", "ab");
  fs::create_directory(dir + "/sub");
  fs::create_directory(dir + "/fixed");
  chmod((dir + "/fixed").c_str(), 0555);
  fs::create_directory_symlink(".", dir + "/loop");      // a scanner that follows it never ends
  ASSERT_EQ(mkfifo((dir + "/x.txt").c_str(), 0644), 0);  // opening it would block for good
  const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = dir + "/s";
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::strcpy(address.sun_path, socketPath.c_str());
  ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(sock);
  file("back\\slash", "");

  struct Expected {
    const char* name;
    EntryKind kind;
    uint16_t attributes;
    int64_t size;
  };
  const Expected expected[] = {
      {"plain.txt", EntryKind::kFile, kAttrArchive, 5},
      {"locked.txt", EntryKind::kFile, kAttrArchive | kAttrReadOnly, 1},
      {".profile", EntryKind::kFile, kAttrArchive | kAttrHidden, 2},
      {"sub", EntryKind::kDirectory, kAttrDirectory, 0},
      {"fixed", EntryKind::kDirectory, kAttrDirectory | kAttrReadOnly, 0},
      {"loop", EntryKind::kSymlink, 0, 1},  // its own size: the length of "."
      {"x.txt", EntryKind::kFifo, 0, 0},
      {"s", EntryKind::kSocket, 0, 0},
      {"back\\slash", EntryKind::kFile, kAttrArchive, 0},
  };
  const auto entries = list();
  EXPECT_EQ(entries.size(), std::size(expected));  // no "." nor ".."
  for (const Expected& e : expected) {
    const auto it = entries.find(e.name);
    ASSERT_NE(it, entries.end()) << e.name;
    const FindEntry& entry = it->second;
    EXPECT_EQ(entry.kind, e.kind) << e.name;
    EXPECT_EQ(entry.attributes, e.attributes) << e.name;
    EXPECT_EQ(entry.size, e.size) << e.name;
    EXPECT_EQ(entry.isSpecial(), e.kind != EntryKind::kFile && e.kind != EntryKind::kDirectory);
  }
}

// The folder record's type passes entries over; a link to a folder is never taken for one.
TEST_F(FindTest, WalksOnlyTheWantedKindOfEntry) {
  file("plain.txt", "12345");
  fs::create_directory(dir + "/sub");
  fs::create_directory_symlink(".", dir + "/loop");
  ASSERT_EQ(mkfifo((dir + "/x.txt").c_str(), 0644), 0);
  struct Case {
    FindWanted wanted;
    std::set<std::string> names;
  };
  const Case cases[] = {
      {FindWanted::kAll, {"plain.txt", "sub", "loop", "x.txt"}},
      {FindWanted::kFolders, {"sub"}},
      {FindWanted::kNonFolders, {"plain.txt", "loop", "x.txt"}},
  };
  for (const Case& c : cases) {
    FindSearch search;
    ASSERT_TRUE(search.openAt(dir));
    std::set<std::string> names;
    FindEntry entry;
    while (search.next(entry, c.wanted)) {
      names.insert(entry.name);
      EXPECT_EQ(entry.isDirectory(), entry.name == "sub") << entry.name;
    }
    EXPECT_EQ(names, c.names) << static_cast<int>(c.wanted);
  }
}

TEST_F(FindTest, GivesSizesBeyondFourGigabytesAndDosTimes) {
  const std::string big = file("big.iso");
  ASSERT_EQ(truncate(big.c_str(), int64_t{5} << 30), 0);  // sparse: takes no space
  const time_t when = localTime(2003, 3, 14, 9, 5, 7);
  const timespec times[2] = {{when, 0}, {when, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, big.c_str(), times, 0), 0);

  const FindEntry entry = list().at("big.iso");
  EXPECT_EQ(entry.size, int64_t{5} << 30);
  EXPECT_EQ(entry.dosDateTime,
            (23u << 25) | (3u << 21) | (14u << 16) | (9u << 11) | (5u << 5) | 3u);
}

TEST(DosDateTimeOf, HoldsTimesToTheRangeOfTheForm) {
  struct Case {
    time_t time;
    uint32_t dos;
  };
  const Case cases[] = {
      {localTime(1980, 1, 1, 0, 0, 0), 0x00210000},
      {localTime(1979, 12, 31, 23, 59, 59), 0x00210000},
      {0, 0x00210000},
      {-86400, 0x00210000},
      {localTime(2000, 2, 29, 23, 59, 59),
       (20u << 25) | (2u << 21) | (29u << 16) | (23u << 11) | (59u << 5) | 29u},
      {localTime(2107, 12, 31, 23, 59, 59), 0xFF9FBF7D},
      {localTime(2108, 1, 1, 0, 0, 0), 0xFF9FBF7D},
  };
  for (const Case& c : cases) EXPECT_EQ(dosDateTimeOf(c.time), c.dos) << c.time;
}

TEST_F(FindTest, EntriesOfAnotherFileSystemShowTheirOwnDevice) {
  fs::create_directory(dir + "/sub");
  FindSearch search;
  ASSERT_TRUE(search.openAt(dir));
  EXPECT_EQ(list().at("sub").device, search.device());

  ASSERT_TRUE(search.openAt("/"));
  FindEntry entry;
  bool sawProc = false;
  while (search.next(entry)) {
    if (entry.name == "proc") {
      sawProc = true;
      EXPECT_NE(entry.device, search.device());
    }
  }
  EXPECT_TRUE(sawProc);
}

TEST_F(FindTest, ABindMountShowsItsOwnMount) {
  fs::create_directories(dir + "/data/inner");
  fs::create_directory(dir + "/view");
  if (mount((dir + "/data").c_str(), (dir + "/view").c_str(), nullptr, MS_BIND, nullptr) != 0) {
    GTEST_SKIP() << "mounting is not allowed here";
  }
  const auto entries = list();
  umount((dir + "/view").c_str());
  FindSearch search;
  ASSERT_TRUE(search.openAt(dir));
  EXPECT_EQ(entries.at("view").device, search.device());  // the same file system
  EXPECT_NE(entries.at("view").mountId, search.mountId());
  EXPECT_EQ(entries.at("data").mountId, search.mountId());
}

TEST_F(FindTest, OpensFoldersByTheProgramsPaths) {
  file("a.txt", "abc");
  const std::optional<std::string> folder = toSystemPath(dir);
  ASSERT_TRUE(folder.has_value());
  for (const std::string& path : {*folder, *folder + "\\", *folder + "\\*.*", *folder + "\\*"}) {
    FindSearch search;
    ASSERT_TRUE(search.open(path)) << path;
    FindEntry entry;
    ASSERT_TRUE(search.next(entry)) << path;
    EXPECT_EQ(entry.name, "a.txt");
    EXPECT_FALSE(search.next(entry));
    EXPECT_FALSE(search.caseInsensitiveMedia());
  }
  FindSearch search;
  EXPECT_FALSE(search.open(*folder + "\\*.txt"));
  EXPECT_FALSE(search.open(*folder + "\\a.txt"));
  EXPECT_FALSE(search.open(*folder + "\\missing"));
  EXPECT_FALSE(search.open("relative\\folder"));
  FindEntry entry;
  EXPECT_FALSE(search.next(entry));

  EXPECT_EQ(findEntry(*folder + "\\a.txt").value_or(FindEntry{}).size, 3);
  EXPECT_TRUE(findEntry(*folder + "\\")->isDirectory());
  EXPECT_TRUE(findEntry("C:\\")->isDirectory());
  EXPECT_FALSE(findEntry(*folder + "\\missing").has_value());
  EXPECT_FALSE(findEntryAt("relative").has_value());
}

TEST_F(FindTest, SingleEntriesAreFollowedOnlyWhenAsked) {
  fs::create_directory(dir + "/photos");
  fs::create_directory_symlink("photos", dir + "/link");
  const std::optional<FindEntry> link = findEntryAt(dir + "/link/");
  ASSERT_TRUE(link.has_value());
  EXPECT_EQ(link->name, "link");
  EXPECT_EQ(link->kind, EntryKind::kSymlink);
  const std::optional<FindEntry> folder = findEntryAt(dir + "/link", Links::kFollow);
  ASSERT_TRUE(folder.has_value());
  EXPECT_EQ(folder->name, "link");
  EXPECT_TRUE(folder->isDirectory());
  EXPECT_EQ(folder->attributes, kAttrDirectory);

  fs::create_directory_symlink("missing", dir + "/dangling");
  EXPECT_TRUE(findEntryAt(dir + "/dangling").has_value());
  EXPECT_FALSE(findEntryAt(dir + "/dangling", Links::kFollow).has_value());
}

}  // namespace
}  // namespace vellomar

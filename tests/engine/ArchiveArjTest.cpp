#include "engine/UArchiveArj.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/ArchiveBuilders.h"
#include "tests/support/ArchiveListing.h"

namespace vellomar {
namespace {

using test::ArjMember;
using test::buildArj;
using test::Bytes;
using test::ListResult;
using test::TempFolder;

const test::ArchiveReader arj = [](TArchiveEntryList& l, const std::string& p) {
  return ReadArjArchive(l, p, 0);
};

const uint32_t kWhen = test::dosDateTime(2004, 2, 29, 8, 7, 6);
constexpr uint32_t kUnixWhen = 1078042026;  // the same moment in UTC
constexpr uint8_t kUnixHost = 2;

class ArchiveArj : public ::testing::Test {
 protected:
  void SetUp() override { test::useUtc(); }
};

std::string line(const char* pathAndName, uint32_t size) {
  return std::string(pathAndName) + "|" + std::to_string(size) + "|2004-02-29 08:07:06";
}

const std::vector<ArjMember> kMembers = {
    {"Docs/Read.Me", 4, kUnixWhen, kUnixHost, 0},
    {"BIN\\TOOL.EXE", 6, kWhen, 0, 0},
    {"notes.txt", 2, kWhen, 0, 1},
    {"Docs", 0, kWhen, 0, 3},   // a folder
    {"LABEL", 0, kWhen, 0, 4},  // a volume label
};

TEST_F(ArchiveArj, ListsFilesButNotTheMainHeaderFoldersOrLabels) {
  const ListResult result = test::listBytes(arj, buildArj("a.arj", kMembers));
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.lines,
            (std::vector<std::string>{line("\\|notes.txt", 2), line("\\Docs\\|Read.Me", 4),
                                      line("\\bin\\|tool.exe", 6)}));
}

// A name from Unix is UTF-8 as stored; one from DOS is in its code page.
TEST_F(ArchiveArj, NamesFromUnixAreUtf8AndOthersOem) {
  const ListResult result = test::listBytes(arj, buildArj("a.arj", {{"\xC3\x9C"
                                                                     "ber.txt",
                                                                     1, kUnixWhen, kUnixHost, 0},
                                                                    {"\x9A"
                                                                     "bung.txt",
                                                                     1, kWhen, 0, 0}}));
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.lines, (std::vector<std::string>{line("\\|\xC3\x9C"
                                                         "ber.txt",
                                                         1),
                                                    line("\\|\xC3\x9C"
                                                         "bung.txt",
                                                         1)}));
}

TEST_F(ArchiveArj, HeaderOffsetsPointAtTheHeaderId) {
  TempFolder folder;
  const Bytes archive = buildArj("a.arj", {{"one", 3, kWhen, 0, 0}, {"two", 1, kWhen, 0, 0}});
  TArchiveEntryList entries;
  ASSERT_TRUE(ReadArjArchive(entries, test::writeBytes(folder, "a.arj", archive), 0));
  ASSERT_EQ(entries.Count(), 2);
  const size_t mainSize = test::arjHeader("a.arj", {}).size();
  const size_t oneSize = test::arjHeader("one", {"one", 3}).size() + 3;
  EXPECT_EQ(entries.ItemAt(0)->HeaderOffset, static_cast<int32_t>(mainSize));
  EXPECT_EQ(entries.ItemAt(1)->HeaderOffset, static_cast<int32_t>(mainSize + oneSize));
}

Bytes join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

const Bytes kEnd = {0x60, 0xEA, 0, 0};

TEST_F(ArchiveArj, TheSearchPassesOverDamage) {
  const Bytes main = test::arjHeader("a.arj", {"", 0, 0, 0, 2});
  const Bytes one = join({test::arjHeader("one", {"one", 3, kWhen}), Bytes(3, 'x')});
  const Bytes two = join({test::arjHeader("two", {"two", 1, kWhen}), Bytes(1, 'y')});
  Bytes badCrc = test::arjHeader("bad", {"bad", 1, kWhen});
  badCrc[10] ^= 0xFF;
  Bytes huge = test::arjHeader("big", {"big", 1, kWhen});
  huge[2] = 0x29;  // basic header size 2601
  huge[3] = 0x0A;
  const Bytes fakeIds = {0x60, 0xEA, 0x05, 0x00, 1, 2, 3, 4, 5, 0, 0, 0, 0, 0x60};
  struct Case {
    const char* what;
    Bytes archive;
    std::vector<std::string> members;
  };
  const std::vector<std::string> both = {"\\|one|3|2004-02-29 08:07:06",
                                         "\\|two|1|2004-02-29 08:07:06"};
  const Case cases[] = {
      {"junk between members", join({main, one, Bytes(700, 'j'), two, kEnd}), both},
      {"a header with a wrong CRC", join({main, one, badCrc, two, kEnd}), both},
      {"a header size above 2600", join({main, one, huge, two, kEnd}), both},
      {"false ids", join({main, one, fakeIds, two, kEnd}), both},
      {"more junk than one search looks at",
       join({main, one, Bytes(1100, 'j'), two, kEnd}),
       {"\\|one|3|2004-02-29 08:07:06"}},
      {"a stub in front", join({Bytes(3000, 'M'), fakeIds, main, one, two, kEnd}), both},
  };
  for (const Case& c : cases) {
    const ListResult result = test::listBytes(arj, c.archive);
    EXPECT_TRUE(result.ok) << c.what;
    EXPECT_EQ(result.lines, c.members) << c.what;
  }
}

TEST_F(ArchiveArj, NoHeaderIsFalse) {
  struct Case {
    const char* what;
    Bytes archive;
  };
  const Case cases[] = {
      {"an empty file", {}},
      {"40 bytes", Bytes(40, 0)},
      {"no id at all", Bytes(5000, 'x')},
      {"an id with a bad CRC",
       [] {
         Bytes b = join({test::arjHeader("x", {"x", 1, kWhen}), Bytes(100, 0)});
         b[8] ^= 1;
         return b;
       }()},
      {"a stub longer than the candidate area", join({Bytes(70000, 'M'), buildArj("a", kMembers)})},
  };
  for (const Case& c : cases) EXPECT_FALSE(test::listBytes(arj, c.archive).ok) << c.what;
}

TEST_F(ArchiveArj, TheStartOffsetBeginsTheSearch) {
  const Bytes archive = join({Bytes(70000, 'M'), buildArj("a", kMembers)});
  TempFolder folder;
  TArchiveEntryList entries;
  EXPECT_TRUE(ReadArjArchive(entries, test::writeBytes(folder, "sfx.exe", archive), 70000));
  EXPECT_EQ(entries.Count(), 3);
}

TEST_F(ArchiveArj, EveryCutOfASmallArchiveIsSafe) {
  test::expectEveryCutSafe(arj, buildArj("a.arj", kMembers));
}

}  // namespace
}  // namespace vellomar

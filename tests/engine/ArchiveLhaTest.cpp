#include "engine/UArchiveLha.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/ArchiveBuilders.h"
#include "tests/support/ArchiveListing.h"

namespace vellomar {
namespace {

using test::buildLha;
using test::Bytes;
using test::LhaMember;
using test::ListResult;
using test::TempFolder;

const test::ArchiveReader lha = [](TArchiveEntryList& l, const std::string& p) {
  return ReadLhaArchive(l, p, 0);
};

const uint32_t kWhen = test::dosDateTime(1999, 12, 31, 23, 59, 58);
constexpr uint32_t kUnixWhen = 946684798;  // the same moment in UTC

class ArchiveLha : public ::testing::Test {
 protected:
  void SetUp() override { test::useUtc(); }
};

std::vector<LhaMember> everyLevel() {
  return {
      {"DIR\\SUB\\A.TXT", "", 3, kWhen, 0x21, 0},
      {"x/y.txt", "", 1, kWhen, 0x20, 0},
      {"Read.Me",
       "Docs\xFF"
       "Deep",
       4, kWhen, 0x20, 1},
      {"plain.txt", "", 2, kWhen, 0x20, 1},
      {"Two.txt", "Docs\xFF", 5, kUnixWhen, 0x20, 2},
  };
}

TEST_F(ArchiveLha, EveryHeaderLevelGivesNamesFoldersAndTimes) {
  const ListResult result = test::listBytes(lha, buildLha(everyLevel()));
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.lines, (std::vector<std::string>{
                              "\\|plain.txt|2|1999-12-31 23:59:58",
                              "\\Docs\\|Two.txt|5|1999-12-31 23:59:58",
                              "\\Docs\\Deep\\|Read.Me|4|1999-12-31 23:59:58",
                              "\\dir\\sub\\|a.txt|3|1999-12-31 23:59:58",
                              "\\x\\|y.txt|1|1999-12-31 23:59:58",
                          }));
}

// Names are in the DOS code page unless the archiver ran on Unix (the level 2 header here), whose
// names are UTF-8 as stored.
TEST_F(ArchiveLha, NamesFromUnixAreUtf8AndOthersOem) {
  const ListResult result = test::listBytes(lha, buildLha({{"\x9A"
                                                            "bung.txt",
                                                            "", 1, kWhen, 0x20, 0},
                                                           {"\x9A"
                                                            "ber.txt",
                                                            "", 1, kWhen, 0x20, 1},
                                                           {"\xC3\x9C"
                                                            "ben.txt",
                                                            "", 1, kUnixWhen, 0x20, 2}}));
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.lines, (std::vector<std::string>{
                              "\\|\xC3\x9C"
                              "ben.txt|1|1999-12-31 23:59:58",
                              "\\|\xC3\x9C"
                              "ber.txt|1|1999-12-31 23:59:58",
                              "\\|\xC3\x9C"
                              "bung.txt|1|1999-12-31 23:59:58",
                          }));
}

TEST_F(ArchiveLha, EntriesCarryAttributesAndHeaderPositions) {
  TempFolder folder;
  TArchiveEntryList entries;
  ASSERT_TRUE(
      ReadLhaArchive(entries, test::writeBytes(folder, "a.lzh", buildLha(everyLevel())), 0));
  const TArchiveEntry* first = entries.ItemAt(entries.Count() - 2);
  EXPECT_EQ(first->Name, "a.txt");
  EXPECT_EQ(first->Attr, 0x21);
  EXPECT_EQ(first->HeaderOffset, 0);
  const TArchiveEntry* second = entries.ItemAt(entries.Count() - 1);
  EXPECT_EQ(second->HeaderOffset, 22 + 13 + 2 + 3);
}

TEST_F(ArchiveLha, EndsAtAZeroSizeByteOrAtTheFileEnd) {
  const std::vector<LhaMember> one = {{"a", "", 1, kWhen, 0x20, 0}};
  Bytes trailing = buildLha(one);
  trailing.insert(trailing.end(), {'j', 'u', 'n', 'k'});
  for (const Bytes& archive : {buildLha(one), buildLha(one, false), trailing}) {
    const ListResult result = test::listBytes(lha, archive);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.lines, std::vector<std::string>{"\\|a|1|1999-12-31 23:59:58"});
  }
}

TEST_F(ArchiveLha, BadHeadersGiveFalse) {
  struct Case {
    const char* what;
    void (*damage)(Bytes&);
  };
  // The second header starts at 25: a level-0 header of the name "a" and one data byte.
  constexpr size_t kSecond = 22 + 1 + 2 + 1;
  const Case cases[] = {
      {"another method text", [](Bytes& b) { b[kSecond + 3] = 'z'; }},
      {"an unknown level", [](Bytes& b) { b[kSecond + 20] = 3; }},
      {"a name past its header", [](Bytes& b) { b[kSecond + 21] = 200; }},
      {"a header past the file", [](Bytes& b) { b[kSecond] = 250; }},
      {"an extension shorter than its own fields",
       [](Bytes& b) { b[kSecond + 22 + 1 + 2 + 1] = 2; }},
      {"an extension past the header", [](Bytes& b) { b[kSecond + 22 + 1 + 2 + 1] = 90; }},
  };
  for (const Case& c : cases) {
    Bytes archive = buildLha({{"a", "", 1, kWhen, 0x20, 0}, {"b", "d\xFF", 1, kWhen, 0x20, 1}});
    c.damage(archive);
    EXPECT_FALSE(test::listBytes(lha, archive).ok) << c.what;
  }
  EXPECT_FALSE(test::listBytes(lha, {}).ok) << "an empty file";
}

TEST_F(ArchiveLha, AStartBeyondOneNamesTheMethodText) {
  Bytes archive(100, 'M');
  const Bytes lzh = buildLha({{"in.exe.txt", "", 1, kWhen, 0x20, 0}});
  archive.insert(archive.end(), lzh.begin(), lzh.end());
  TempFolder folder;
  const std::string path = test::writeBytes(folder, "sfx.exe", archive);
  TArchiveEntryList entries;
  EXPECT_TRUE(ReadLhaArchive(entries, path, 102));
  ASSERT_EQ(entries.Count(), 1);
  EXPECT_EQ(entries.ItemAt(0)->HeaderOffset, 100);
  EXPECT_FALSE(test::listWith(lha, path).ok);
}

TEST_F(ArchiveLha, EveryCutOfASmallArchiveIsSafe) {
  test::expectEveryCutSafe(lha, buildLha(everyLevel()));
}

}  // namespace
}  // namespace vellomar

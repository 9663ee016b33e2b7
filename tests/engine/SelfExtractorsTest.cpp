#include "engine/USelfExtractors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/modules/TestFolders.h"
#include "tests/support/ArchiveBuilders.h"
#include "tests/support/ArchiveListing.h"

namespace vellomar {
namespace {

using test::Bytes;
using test::TempFolder;

// A program stub that holds none of the signatures.
Bytes stub(size_t size) {
  Bytes bytes(size, 0);
  bytes[0] = 'M';
  bytes[1] = 'Z';
  return bytes;
}

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes head(const Bytes& bytes, size_t n) {
  return Bytes(bytes.begin(), bytes.begin() + n);
}

struct SfxResult {
  bool ok;
  uint8_t kind;
  std::vector<std::string> lines;
};

SfxResult readSfx(const Bytes& bytes, bool deep) {
  TempFolder folder;
  const std::string path = test::writeBytes(folder, "setup.exe", bytes);
  TArchiveEntryList list;
  SfxResult result{};
  result.ok = ReadSfxArchive(list, path, deep, result.kind);
  result.lines = test::listing(list);
  return result;
}

const uint32_t kTime = test::dosDateTime(2001, 2, 3, 4, 5, 6);

Bytes zipArchive() {
  return test::buildZip({{}, {{"README.TXT", 10, kTime}, {"bin/tool.exe", 20, kTime}}});
}

Bytes arjArchive() {
  return test::buildArj("TOOLS.ARJ", {{"TOOL.EXE", 20, kTime}});
}

const std::string kRarLine = "\\exe\\|test.exe|45056|2022-04-19 17:31:48";

Bytes rarArchive() {
  return test::fileBytes(test::archiveFixture("Rar4.rar"));
}

TEST(SelfExtractors, AZipIsFoundByItsEndRecordWithoutTheDeepSearch) {
  for (const bool deep : {false, true}) {
    const SfxResult result = readSfx(stub(40000) + zipArchive(), deep);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.kind, kSfxZip);
    EXPECT_EQ(result.lines, (std::vector<std::string>{"\\|readme.txt|10|2001-02-03 04:05:06",
                                                      "\\bin\\|tool.exe|20|2001-02-03 04:05:06"}));
  }
}

TEST(SelfExtractors, UnzipsfxWithAZipAppended) {
  if (!test::haveTool("zip") || !std::filesystem::exists("/usr/bin/unzipsfx")) {
    GTEST_SKIP() << "zip and unzipsfx are not installed";
  }
  TempFolder folder;
  test::writeBytes(folder, "readme.txt", test::textBytes("read me\n"));
  ASSERT_TRUE(test::runIn(folder.path(), "zip -q docs.zip readme.txt"));
  ASSERT_TRUE(test::runIn(folder.path(),
                          "cat /usr/bin/unzipsfx docs.zip > setup.exe && zip -q -A setup.exe"));
  TArchiveEntryList list;
  uint8_t kind = kSfxNone;
  EXPECT_TRUE(ReadSfxArchive(list, folder.at("setup.exe"), false, kind));
  EXPECT_EQ(kind, kSfxZip);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Items()[0]->Name, "readme.txt");
  EXPECT_EQ(list.Items()[0]->Size, 8u);
}

TEST(SelfExtractors, ArjAndRarNeedTheDeepSearch) {
  struct Case {
    const char* what;
    Bytes bytes;
    uint8_t kind;
    std::string member;  // one of the lines listed
  };
  const Case cases[] = {
      {"ARJ", stub(30000) + arjArchive(), kSfxArj, "\\|tool.exe|20|2001-02-03 04:05:06"},
      {"RAR", stub(30000) + rarArchive(), kSfxRar, kRarLine},
      // A local header that lists nothing gives way to the RAR archive behind it.
      {"RAR behind a false ZIP header",
       stub(1000) + test::textBytes("PK\x03\x04") + stub(2000) + rarArchive(), kSfxRar, kRarLine},
      // No end record: the ZIP is listed from its first local header.
      {"ZIP without its directory", stub(30000) + head(zipArchive(), 60), kSfxZip,
       "\\|readme.txt|10|2001-02-03 04:05:06"},
  };
  for (const Case& c : cases) {
    const SfxResult shallow = readSfx(c.bytes, false);
    EXPECT_FALSE(shallow.ok) << c.what;
    EXPECT_EQ(shallow.kind, kSfxNone) << c.what;
    const SfxResult deep = readSfx(c.bytes, true);
    EXPECT_TRUE(deep.ok) << c.what;
    EXPECT_EQ(deep.kind, c.kind) << c.what;
    EXPECT_NE(std::find(deep.lines.begin(), deep.lines.end(), c.member), deep.lines.end())
        << c.what;
  }
}

TEST(SelfExtractors, OnlyTheFirst65520BytesAreSearched) {
  const Bytes late = stub(65520) + rarArchive();
  const SfxResult result = readSfx(late, true);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.lines.empty());

  const Bytes early = stub(65000) + rarArchive();
  EXPECT_TRUE(readSfx(early, true).ok);
}

TEST(SelfExtractors, EmptyPlainAndCutFilesGiveFalse) {
  EXPECT_FALSE(readSfx({}, true).ok);
  const SfxResult plain = readSfx(stub(70000), true);
  EXPECT_FALSE(plain.ok);
  EXPECT_EQ(plain.kind, kSfxNone);

  const Bytes sfx = stub(300) + rarArchive();
  for (size_t size = 1; size < 400; size += 7) {
    EXPECT_FALSE(readSfx(head(sfx, size), true).ok) << size;
  }
  const Bytes zip = stub(300) + zipArchive();
  for (size_t size = 1; size < zip.size(); size += 7) {
    readSfx(head(zip, size), true);  // no fault, whatever it finds
  }
}

}  // namespace
}  // namespace vellomar

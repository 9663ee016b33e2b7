#include "engine/UArchiveZip.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/PText.h"
#include "tests/support/ArchiveBuilders.h"
#include "tests/support/ArchiveListing.h"

namespace vellomar {
namespace {

using test::buildZip;
using test::Bytes;
using test::ListResult;
using test::TempFolder;
using test::ZipLayout;
using test::ZipMember;

const test::ArchiveReader central = [](TArchiveEntryList& l, const std::string& p) {
  return ReadZipCentral(l, p, 0);
};

const uint32_t kWhen = test::dosDateTime(2003, 3, 14, 15, 9, 26);

ZipMember member(std::string name, uint32_t size = 3, uint16_t flags = 0) {
  return ZipMember{std::move(name), size, kWhen, flags};
}

TEST(ArchiveZip, NamesBecomePathAndNameAsTheCatalogueKeepsThem) {
  const ZipLayout layout{{},
                         {member("C:/DATA/FILE.TXT", 7), member("Docs/Read.Me"), member("Docs/"),
                          member("  spaced .txt  "), member("twice.txt"), member("twice.txt"),
                          member("\x8E.txt"), member("\xC3\x84.txt", 3, 0x0800)}};
  const ListResult result = test::listBytes(central, buildZip(layout));
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.lines, (std::vector<std::string>{
                              "\\|spaced .txt|3|2003-03-14 15:09:26",
                              "\\|twice.txt|3|2003-03-14 15:09:26",
                              "\\|twice.txt|3|2003-03-14 15:09:26",
                              "\\|" + oemToText("\x8E") + ".txt|3|2003-03-14 15:09:26",
                              "\\|\xC3\x84.txt|3|2003-03-14 15:09:26",
                              "\\Docs\\|Read.Me|3|2003-03-14 15:09:26",
                              "\\data\\|file.txt|7|2003-03-14 15:09:26",
                          }));
}

// A member keeps the rest of its path: no ".." folder beside the file list's own "..", nothing
// above the archive's top.
TEST(ArchiveZip, DotAndEmptyPartsOfAPathAreDropped) {
  const ZipLayout layout{{},
                         {member("../up.txt"), member("./a/./b.txt"), member("a//c.txt"),
                          member("../../x/../d.txt"), member("a/../e.txt")}};
  const ListResult result = test::listBytes(central, buildZip(layout));
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.lines, (std::vector<std::string>{
                              "\\|up.txt|3|2003-03-14 15:09:26",
                              "\\a\\|b.txt|3|2003-03-14 15:09:26",
                              "\\a\\|c.txt|3|2003-03-14 15:09:26",
                              "\\a\\|e.txt|3|2003-03-14 15:09:26",
                              "\\x\\|d.txt|3|2003-03-14 15:09:26",
                          }));
}

TEST(ArchiveZip, HeaderOffsetsPointAtLocalHeaders) {
  ZipLayout layout{{}, {member("a.txt", 5), member("b.txt", 9)}};
  TempFolder folder;
  TArchiveEntryList list;
  ASSERT_TRUE(ReadZipCentral(list, test::writeBytes(folder, "a.zip", buildZip(layout)), 0));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.ItemAt(0)->HeaderOffset, 0);
  EXPECT_EQ(list.ItemAt(1)->HeaderOffset, 30 + 5 + 5);
}

TEST(ArchiveZip, DirectoryIsFoundWhateverStandsAroundIt) {
  const std::vector<std::string> two = {"\\|a.txt|3|2003-03-14 15:09:26",
                                        "\\d\\|b.txt|3|2003-03-14 15:09:26"};
  struct Case {
    const char* what;
    ZipLayout layout;
  };
  const Case cases[] = {
      {"plain", {{}, {member("a.txt"), member("d/b.txt")}}},
      {"a stub in front", {Bytes(1000, 'M'), {member("a.txt"), member("d/b.txt")}}},
      {"the longest comment", {{}, {member("a.txt"), member("d/b.txt")}, 0xFFFF}},
      {"ZIP64 end records", {{}, {member("a.txt"), member("d/b.txt")}, 0, true}},
      {"a stub and ZIP64 end records",
       {Bytes(333, 'M'), {member("a.txt"), member("d/b.txt")}, 0, true}},
  };
  for (const Case& c : cases) {
    const ListResult result = test::listBytes(central, buildZip(c.layout));
    EXPECT_TRUE(result.ok) << c.what;
    EXPECT_EQ(result.lines, two) << c.what;
  }
}

TEST(ArchiveZip, WithoutAnEndRecordInReachTheLocalHeadersAreWalked) {
  // The end record lies 70000 bytes before the file end; the local walk drops the drive too.
  const Bytes archive = buildZip({{}, {member("C:/X/a.txt", 4), member("b.txt", 0)}, 70000});
  TempFolder folder;
  TArchiveEntryList list;
  ASSERT_TRUE(ReadZipCentral(list, test::writeBytes(folder, "a.zip", archive), 0));
  EXPECT_EQ(test::listing(list), (std::vector<std::string>{"\\|b.txt|0|2003-03-14 15:09:26",
                                                           "\\x\\|a.txt|4|2003-03-14 15:09:26"}));
  EXPECT_EQ(list.ItemAt(0)->HeaderOffset, 30 + 10 + 4);
}

TEST(ArchiveZip, StartOffsetsNameTheEndRecordOrTheFirstLocalHeader) {
  const Bytes archive = buildZip({Bytes(100, 'M'), {member("a.txt")}});
  TempFolder folder;
  const std::string path = test::writeBytes(folder, "a.exe", archive);
  TArchiveEntryList byEnd;
  EXPECT_TRUE(ReadZipCentral(byEnd, path, archive.size() - 22));
  EXPECT_EQ(byEnd.Count(), 1);
  TArchiveEntryList byLocal;
  EXPECT_TRUE(ReadZipLocal(byLocal, path, 100));
  EXPECT_EQ(test::listing(byLocal), test::listing(byEnd));
  TArchiveEntryList wrong;
  EXPECT_FALSE(ReadZipCentral(wrong, path, 50));
  EXPECT_FALSE(ReadZipLocal(wrong, path, 50));
}

TEST(ArchiveZip, LongNamesKeepTheirLastBytesOnACharacterBoundary) {
  std::string tail;
  for (int i = 0; i < 300; ++i) tail += "\xC3\xA9";  // 600 bytes of two-byte characters
  const std::string name = std::string(65535 - 601, 'a') + "/" + tail;
  const ListResult result = test::listBytes(central, buildZip({{}, {member(name, 1, 0x0800)}}));
  ASSERT_TRUE(result.ok);
  std::string kept;
  for (int i = 0; i < 127; ++i) kept += "\xC3\xA9";
  EXPECT_EQ(result.lines, std::vector<std::string>{"\\|" + kept + "|1|2003-03-14 15:09:26"});
}

// Offsets into a one-member archive built by buildZip with the name "a.txt" and 3 bytes.
constexpr size_t kCentral = 30 + 5 + 3;
constexpr size_t kEnd = kCentral + 46 + 5;

void patch16(Bytes& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void patch32(Bytes& b, size_t at, uint32_t v) {
  patch16(b, at, static_cast<uint16_t>(v));
  patch16(b, at + 2, static_cast<uint16_t>(v >> 16));
}

TEST(ArchiveZip, HostileDirectoriesEndInFalse) {
  struct Case {
    const char* what;
    void (*damage)(Bytes&);
  };
  const Case cases[] = {
      {"directory larger than what is in front", [](Bytes& b) { patch32(b, kEnd + 12, 1000); }},
      {"directory size off its start", [](Bytes& b) { patch32(b, kEnd + 12, 40); }},
      {"disk numbers differ", [](Bytes& b) { patch16(b, kEnd + 6, 1); }},
      {"name length past the end", [](Bytes& b) { patch16(b, kCentral + 28, 0xFFFF); }},
      {"end record cut short", [](Bytes& b) { b.resize(kEnd + 10); }},
  };
  for (const Case& c : cases) {
    Bytes archive = buildZip({{}, {member("a.txt")}});
    c.damage(archive);
    const ListResult result = test::listBytes(central, archive);
    EXPECT_FALSE(result.ok) << c.what;
    EXPECT_TRUE(result.lines.empty()) << c.what;
  }
}

TEST(ArchiveZip, HostileSizesEndTheWalkWithWhatWasListed) {
  // Extra and comment lengths running past the end stop after the member that has them.
  Bytes archive = buildZip({{}, {member("a.txt"), member("b.txt")}});
  const size_t firstCentral = 2 * (30 + 5 + 3);
  patch16(archive, firstCentral + 30, 0xFFFF);
  EXPECT_EQ(test::listBytes(central, archive).lines.size(), 1u);

  // A local header whose packed size points past the file ends the local walk.
  Bytes local = buildZip({{}, {member("a.txt"), member("b.txt")}, 70000});
  patch32(local, 18, 0xFFFFFFF0);
  EXPECT_EQ(test::listBytes(central, local).lines.size(), 1u);
}

TEST(ArchiveZip, EveryCutOfASmallArchiveIsSafe) {
  test::expectEveryCutSafe(central,
                           buildZip({Bytes(5, 'M'), {member("C:/a/b.txt"), member("c")}, 3}));
}

}  // namespace
}  // namespace vellomar

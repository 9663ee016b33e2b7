#include "engine/UArchiveRar.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/ArchiveBuilders.h"
#include "tests/support/ArchiveListing.h"

namespace vellomar {
namespace {

using test::Bytes;
using test::ListResult;
using test::RarBuilder;
using test::TempFolder;

const test::ArchiveReader rar = [](TArchiveEntryList& l, const std::string& p) {
  return ReadRarArchive(l, p, 0);
};

const uint32_t kWhen = test::dosDateTime(2011, 6, 23, 21, 35, 52);
constexpr uint16_t kFile = 0x8000;
constexpr uint16_t kFolder = 0x80E0;

std::string line(const char* pathAndName, uint32_t size) {
  return std::string(pathAndName) + "|" + std::to_string(size) + "|2011-06-23 21:35:52";
}

TEST(ArchiveRar, FoldersAreKnownByTheirFlagsNotByAttributes) {
  RarBuilder archive;
  archive.file("dir", 0, kWhen, 0x10, kFolder)
      .file("dir/sub", 0, kWhen, 0x41ED, kFolder)
      .file("dir/sub/run", 5, kWhen, 0x81ED)  // a Unix executable: mode bits overlap 0x08
      .file("dir\\DOS.TXT", 4, kWhen, 0x20)
      .end();
  const ListResult result = test::listBytes(rar, archive.bytes());
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.lines,
            (std::vector<std::string>{line("\\dir\\|dos.txt", 4), line("\\dir\\sub\\|run", 5)}));
}

TEST(ArchiveRar, EntriesCarryAttributesAndBlockPositions) {
  RarBuilder archive;
  archive.file("a", 3, kWhen, 0x21).file("b", 1, kWhen, 0x81A4).end();
  TempFolder folder;
  TArchiveEntryList entries;
  ASSERT_TRUE(ReadRarArchive(entries, test::writeBytes(folder, "a.rar", archive.bytes()), 0));
  ASSERT_EQ(entries.Count(), 2);
  EXPECT_EQ(entries.ItemAt(0)->Attr, 0x21);
  EXPECT_EQ(entries.ItemAt(0)->HeaderOffset, 20);
  EXPECT_EQ(entries.ItemAt(1)->Attr, 0xA4);
  EXPECT_EQ(entries.ItemAt(1)->HeaderOffset, 20 + 33 + 3);
}

TEST(ArchiveRar, UnicodeNamesEndAtTheirZero) {
  RarBuilder archive;
  archive.file(std::string("plain.txt\0\x04\x55\x42", 13), 2, kWhen, 0x20, kFile | 0x0200).end();
  EXPECT_EQ(test::listBytes(rar, archive.bytes()).lines,
            std::vector<std::string>{line("\\|plain.txt", 2)});
}

TEST(ArchiveRar, OtherBlocksAreSkippedByTheirSizes) {
  RarBuilder archive;
  archive.file("a", 1, kWhen, 0x20)
      .block(0x75, 0, 20, 0)         // old comment: head only
      .block(0x7A, 0x8000, 30, 100)  // sub-block with data
      .block(0x77, 0x8000, 11, 7)    // old sub-block
      .block(0x78, 0, 9, 0)          // old recovery record without data
      .file("b", 2, kWhen, 0x20)
      .end()
      .file("after the end", 1, kWhen, 0x20);
  const ListResult result = test::listBytes(rar, archive.bytes());
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.lines, (std::vector<std::string>{line("\\|a", 1), line("\\|b", 2)}));
}

// A block head alone, its stored data size whatever the test needs.
Bytes blockHead(uint8_t type, uint16_t flags, uint16_t headSize, uint32_t storedSize) {
  ByteWriter w;
  w.u16(0);
  w.u8(type);
  w.u16(flags);
  w.u16(headSize);
  w.u32(storedSize);
  return w.take();
}

Bytes fileBlock(const char* name) {
  const Bytes archive = RarBuilder().file(name, 1, kWhen, 0x20).bytes();
  return Bytes(archive.begin() + 20, archive.end());
}

TEST(ArchiveRar, WalksEndAtBadBlocksWithWhatWasListed) {
  const std::pair<const char*, Bytes> cases[] = {
      {"an unknown block type", blockHead(0x50, 0, 11, 0)},
      {"a head size of 0", blockHead(0x75, 0, 0, 0)},
      {"a head size below 7", blockHead(0x75, 0, 3, 0)},
      {"a data size past the end", blockHead(0x7A, 0x8000, 11, 0xFFFFFFF0)},
  };
  for (const auto& [what, bad] : cases) {
    Bytes bytes = RarBuilder().file("a", 1, kWhen, 0x20).bytes();
    bytes.insert(bytes.end(), bad.begin(), bad.end());
    const Bytes after = fileBlock("b");
    bytes.insert(bytes.end(), after.begin(), after.end());
    const ListResult result = test::listBytes(rar, bytes);
    EXPECT_TRUE(result.ok) << what;
    EXPECT_EQ(result.lines, std::vector<std::string>{line("\\|a", 1)}) << what;
  }
}

TEST(ArchiveRar, FileFieldsThatDoNotFitTheirHeadEndTheWalk) {
  Bytes bytes = RarBuilder().file("abc", 1, kWhen, 0x20).file("d", 1, kWhen, 0x20).bytes();
  bytes[20 + 26] = 200;  // name size beyond the head and the file
  const ListResult result = test::listBytes(rar, bytes);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.lines.empty());
}

// A file block with flag 0x100: the high words of both sizes follow the attributes.
Bytes largeFileBlock(uint32_t packedLow, uint32_t packedHigh) {
  ByteWriter w;
  w.u16(0);
  w.u8(0x74);
  w.u16(kFile | 0x0100);
  w.u16(32 + 8 + 3);
  w.u32(packedLow);
  w.u32(9);
  w.u8(2);
  w.u32(0);
  w.u32(kWhen);
  w.u8(20);
  w.u8(0x30);
  w.u16(3);
  w.u32(0x20);
  w.u32(packedHigh);
  w.u32(0);
  w.bytes("big", 3);
  return w.take();
}

TEST(ArchiveRar, LargeFilesAddTheHighSizeWord) {
  const std::pair<const char*, Bytes> cases[] = {
      {"4 GB more than the file", largeFileBlock(0, 1)},
      // Head and data sizes that add up to 2^64 would lead back to the same block.
      {"a sum that wraps round", largeFileBlock(0xFFFFFFFFu - 43 + 1, 0xFFFFFFFFu)},
  };
  for (const auto& [what, block] : cases) {
    Bytes bytes = RarBuilder().bytes();
    bytes.insert(bytes.end(), block.begin(), block.end());
    const Bytes never = fileBlock("never");
    bytes.insert(bytes.end(), never.begin(), never.end());
    EXPECT_EQ(test::listBytes(rar, bytes).lines, std::vector<std::string>{line("\\|big", 9)})
        << what;
  }
}

TEST(ArchiveRar, NoFileListedIsFalse) {
  struct Case {
    const char* what;
    Bytes bytes;
  };
  const Case cases[] = {
      {"only folders", RarBuilder().file("dir", 0, kWhen, 0x10, kFolder).end().bytes()},
      {"the later format", test::textBytes(std::string("Rar!\x1A\x07\x01\x00\x33\x92", 10))},
      {"no marker", test::textBytes("PK\x03\x04 not a rar at all")},
      {"an empty file", {}},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(test::listBytes(rar, c.bytes).ok) << c.what;
  }
}

TEST(ArchiveRar, StartsAtTheMarkerItIsGiven) {
  Bytes bytes(500, 'M');
  const Bytes archive = RarBuilder().file("x.txt", 1, kWhen, 0x20).end().bytes();
  bytes.insert(bytes.end(), archive.begin(), archive.end());
  TempFolder folder;
  const std::string path = test::writeBytes(folder, "a.exe", bytes);
  TArchiveEntryList entries;
  EXPECT_TRUE(ReadRarArchive(entries, path, 500));
  EXPECT_EQ(test::listing(entries), std::vector<std::string>{line("\\|x.txt", 1)});
  EXPECT_EQ(entries.ItemAt(0)->HeaderOffset, 520);
  EXPECT_FALSE(test::listWith(rar, path).ok);
}

TEST(ArchiveRar, EveryCutOfASmallArchiveIsSafe) {
  RarBuilder archive;
  archive.file("d", 0, kWhen, 0x10, kFolder)
      .file("d/a.txt", 3, kWhen, 0x20)
      .block(0x7A, 0x8000, 12, 4)
      .file("b", 2, kWhen, 0x20, kFile | 0x0200)
      .end();
  test::expectEveryCutSafe(rar, archive.bytes());
}

}  // namespace
}  // namespace vellomar

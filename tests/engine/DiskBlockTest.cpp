#include "engine/UDiskBlock.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "engine/UDamageCodes.h"
#include "tests/support/DamageProbe.h"
#include "tests/support/HexBytes.h"

namespace vellomar {
namespace {

using testing::damageOf;
using testing::hexBytes;

uint32_t u32At(const std::vector<uint8_t>& b, size_t offset) {
  ByteReader r(b.data(), b.size());
  r.seek(offset);
  return r.u32();
}

TDiskInfo sampleInfo() {
  TDiskInfo d;
  d.Flags = kDiskDeleted;
  d.ScanDateTime = 0x5A214C63;
  d.Folders = 3;
  d.Files = 40;
  d.Archives = 2;
  d.ArchiveFolders = 5;
  d.ArchiveFiles = 60;
  d.DiskSizeKB = 1440;
  d.FreeKB = 12;
  d.SectorsPerCluster = 1;
  d.BytesPerSector = 512;
  d.Drive = 'a';
  d.DiskName = "Backup 1";
  d.VolumeLabel = "VOL";
  d.ScannedPath = "/media/floppy";
  d.PhysSize = 0x123456789A;
  d.ArchSize = 7;
  d.DataSize = 0x100000000;
  d.Reserved884[0] = 0xEE;
  return d;
}

TEST(DiskBlock, DetailsAtTheirOffsets) {
  ByteWriter w;
  writeDiskInfo(w, sampleInfo());
  const std::vector<uint8_t>& b = w.bytes();
  ASSERT_EQ(b.size(), kDiskInfoSize);
  const std::pair<size_t, uint32_t> fields[] = {
      {0, 1},       {4, 0x5A214C63}, {8, 3},    {12, 40},  {16, 2},   {20, 5},
      {24, 60},     {40, 1440},      {44, 12},  {48, 1},   {52, 512}, {1140, 0x3456789A},
      {1144, 0x12}, {1148, 7},       {1156, 0}, {1160, 1},
  };
  for (const auto& [offset, value] : fields) EXPECT_EQ(u32At(b, offset), value) << offset;
  EXPECT_EQ(b[108], 'a');
  EXPECT_EQ(b[116], 8);
  EXPECT_EQ(b[117], 'B');
  EXPECT_EQ(b[372], 3);
  EXPECT_EQ(b[628], 13);
  EXPECT_EQ(b[884], 0xEE);

  ByteWriter prefix;
  writeDiskInfo(prefix, sampleInfo(), BlockForm::kOlder);
  ASSERT_EQ(prefix.size(), kOldDiskInfoSize);
  EXPECT_TRUE(std::equal(prefix.bytes().begin(), prefix.bytes().end(), b.begin()))
      << "the in-place rewrite writes the first 372 bytes of the same layout";

  ByteReader r(b.data(), b.size());
  const TDiskInfo back = readDiskInfo(r, BlockForm::kCurrent);
  ByteWriter again;
  writeDiskInfo(again, back);
  EXPECT_EQ(again.bytes(), b);
}

TEST(DiskBlock, OlderDetailsTakeTheirSumsFromKilobytes) {
  TDiskInfo old = sampleInfo();
  old.OldPhysSizeKB = 3;
  old.OldArchSizeKB = 5;
  old.OldDataSizeKB = -1;  // 4 TB less 1 kB, never negative
  ByteWriter w;
  writeDiskInfo(w, old, BlockForm::kOlder);
  ByteReader r(w.bytes().data(), w.size());
  const TDiskInfo d = readDiskInfo(r, BlockForm::kOlder);
  EXPECT_TRUE(r.atEnd());
  EXPECT_EQ(d.PhysSize, 3 * 1024);
  EXPECT_EQ(d.ArchSize, 5 * 1024);
  EXPECT_EQ(d.DataSize, int64_t{0xFFFFFFFF} * 1024);
  EXPECT_EQ(d.DiskName, ShortString("Backup 1"));
  EXPECT_TRUE(d.VolumeLabel.empty());
  EXPECT_TRUE(d.ScannedPath.empty());
}

TEST(DiskBlock, HeadGoldenBytes) {
  ByteWriter w;
  writeDiskBlockHead(w, 45);
  EXPECT_EQ(w.bytes(), hexBytes("D2040000 2EFBFFFF 01"));  // L = 1234, check -1234
}

TEST(DiskBlock, WholeBlockReadsBack) {
  ByteWriter w;
  TDirData root;
  root.Attr = kAttrFolder;
  writeDiskBlockHead(w, folderRecordSize(1));
  writeDiskInfo(w, sampleInfo());
  writeFolderRecord(w, 0, root, "\\");
  ASSERT_EQ(w.size(), kDiskBlockFixedSize + kFolderRecordFixedSize + 1);

  ByteReader r(w.bytes().data(), w.size());
  const TDiskBlockHead head = readDiskBlockHead(r, w.size(), kDamageDiskBlock);
  EXPECT_EQ(head.Length, static_cast<int32_t>(w.size()));
  EXPECT_EQ(head.Form, BlockForm::kCurrent);
  EXPECT_EQ(readDiskInfo(r, head.Form).ScannedPath, ShortString("/media/floppy"));
  const TFolderRecord record = readFolderRecord(r);
  EXPECT_EQ(record.Name, ShortString("\\"));
  EXPECT_EQ(record.Data, root);
  EXPECT_TRUE(r.atEnd());
}

TEST(DiskBlock, HeadChecks) {
  struct Case {
    const char* what;
    int32_t length, check;
    uint8_t kind;
    uint64_t bytesLeft;
    std::optional<BlockForm> form;  // none: damage
  };
  const Case cases[] = {
      {"current form", 1300, -1300, 1, 1300, BlockForm::kCurrent},
      {"older form", 400, ~400, 1, 5000, BlockForm::kOlder},
      {"smallest older block", 381, ~381, 1, 381, BlockForm::kOlder},
      {"older block too short for its details", 380, ~380, 1, 5000, std::nullopt},
      {"current block too short for its details", 1188, -1188, 1, 5000, std::nullopt},
      {"check belongs to another length", 1300, -1299, 1, 5000, std::nullopt},
      {"kind of a file list", 1300, -1300, 2, 5000, std::nullopt},
      {"longer than the file", 1300, -1300, 1, 1299, std::nullopt},
      {"negative length", -2000, 2000, 1, 5000, std::nullopt},
      {"most negative length", INT32_MIN, INT32_MIN, 1, 5000, std::nullopt},
  };
  for (int code : {kDamageDiskBlock, kDamageDiskDetails}) {
    for (const Case& c : cases) {
      ByteWriter w;
      writeBlockHead(w, {c.length, c.check, c.kind});
      ByteReader r(w.bytes().data(), w.size());
      TDiskBlockHead head;
      const int damage = damageOf([&] { head = readDiskBlockHead(r, c.bytesLeft, code); });
      if (c.form) {
        EXPECT_EQ(damage, 0) << c.what;
        EXPECT_EQ(head.Form, *c.form) << c.what;
        EXPECT_EQ(head.Length, c.length) << c.what;
      } else {
        EXPECT_EQ(damage, code) << c.what;
      }
    }
  }
  const std::vector<uint8_t> shortHead = hexBytes("D2040000 2EFB");
  ByteReader truncated(shortHead.data(), shortHead.size());
  EXPECT_EQ(damageOf([&] { readDiskBlockHead(truncated, 5000, kDamageDiskBlock); }),
            kDamageDiskBlock);
}

TDirData sampleDirData() {
  TDirData d;
  d.DescOffset = 0x11;
  d.DateTime = 0x22;
  d.Size = 0x33;
  d.Attr = kAttrFolder | kAttrUserDesc;
  d.Ext = ".txt";
  d.FileListOffset = 0x44;
  d.FileCount = 0x55;
  d.FilesSize = 0x0102030405060708;
  d.Reserved = {0xA1, 0xA2, 0xA3, 0xA4};
  return d;
}

TEST(FolderRecord, GoldenBytesAndRoundTrip) {
  ByteWriter w;
  writeFolderRecord(w, 2, sampleDirData(), "docs");
  const std::vector<uint8_t> expected = hexBytes(
      "0200 FEFF"
      "11000000 22000000 33000000 1002 042E747874"
      "44000000 55000000 0807060504030201 A1A2A3A4"
      "04 646F6373");
  EXPECT_EQ(w.bytes(), expected);
  EXPECT_EQ(w.size(), folderRecordSize(4));

  std::vector<uint8_t> block = expected;
  block.resize(block.size() + 2 * kOldFolderRecordFixedSize);  // room for two children
  ByteReader r(block.data(), block.size());
  const TFolderRecord record = readFolderRecord(r);
  EXPECT_EQ(record.SubDirCount, 2);
  EXPECT_EQ(record.Data, sampleDirData());
  EXPECT_EQ(record.Name, ShortString("docs"));
  EXPECT_EQ(r.position(), expected.size());
  EXPECT_EQ(fileRecordOf(record.Data),
            (TFileRecord{0x11, 0x22, 0x33, kAttrFolder | kAttrUserDesc, ".txt"}));
}

TEST(FolderRecord, OlderFormHasShortData) {
  const std::vector<uint8_t> bytes = hexBytes(
      "0000 FFFF"
      "11000000 22000000 33000000 1000 00 00000000 44000000"
      "01 5C");
  ByteReader r(bytes.data(), bytes.size());
  const TFolderRecord record = readFolderRecord(r);
  EXPECT_TRUE(r.atEnd());
  EXPECT_EQ(record.Data.FileListOffset, 0x44);
  EXPECT_EQ(record.Data.FileCount, 0);
  EXPECT_EQ(record.Data.FilesSize, 0);
  EXPECT_EQ(record.Name, ShortString("\\"));
}

TEST(FolderRecord, DamageIsCode004) {
  ByteWriter sound;
  writeFolderRecord(sound, 0, sampleDirData(), "docs");
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  std::vector<Case> cases;
  {
    std::vector<uint8_t> b = sound.bytes();
    b[2] = 0x01;
    cases.push_back({"check of another count", b});
  }
  {
    std::vector<uint8_t> b = sound.bytes();
    b.pop_back();
    cases.push_back({"name runs past the block", b});
  }
  {
    std::vector<uint8_t> b = sound.bytes();
    b.resize(2);
    cases.push_back({"block ends inside the count", b});
  }
  {
    std::vector<uint8_t> b = sound.bytes();
    b[kFolderDataRecordOffset + kFileRecordExtensionOffset] = 5;
    cases.push_back({"extension longer than its field", b});
  }
  for (const Case& c : cases) {
    ByteReader r(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(damageOf([&] { readFolderRecord(r); }), kDamageFolderRecord) << c.what;
  }
}

}  // namespace
}  // namespace vellomar

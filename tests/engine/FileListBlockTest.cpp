#include "engine/UFileListBlock.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/UDamageCodes.h"
#include "tests/support/DamageProbe.h"
#include "tests/support/HexBytes.h"

namespace vellomar {
namespace {

using testing::damageOf;
using testing::hexBytes;

std::vector<uint8_t> twoFileBlock() {
  const TFileRecord readme{0, 0x5A214C63, 1234, 0x20, ".txt"};
  const TFileRecord photo{0x10000, 0, -1, kAttrUserDesc, ".jpeg"};  // extension cut to 4
  const uint64_t length = fileListBlockLength(2, 6 + 1);
  ByteWriter w;
  writeFileListHead(w, static_cast<int32_t>(length), 2);
  writeFileEntry(w, readme, "readme");
  writeFileEntry(w, photo, "p");
  return w.take();
}

TEST(FileListBlock, GoldenBytes) {
  EXPECT_EQ(twoFileBlock(), hexBytes("3C000000 C3FFFFFF 02 02000000"
                                     "00000000 634C215A D2040000 2000 042E747874"
                                     "06 726561646D65"
                                     "00000100 00000000 FFFFFFFF 0002 042E6A7065"
                                     "01 70"));
  ByteWriter empty;
  writeFileListHead(empty, static_cast<int32_t>(fileListBlockLength(0, 0)), 0);
  EXPECT_EQ(empty.bytes(), hexBytes("0D000000 F2FFFFFF 02 00000000"));
}

TEST(FileListBlock, ReadsWhatWasWritten) {
  const std::vector<uint8_t> block = twoFileBlock();
  ByteReader r(block.data(), block.size());
  ASSERT_EQ(readFileListHead(r, block.size()), 2u);
  const TFileEntry first = readFileEntry(r);
  EXPECT_EQ(first.Record, (TFileRecord{0, 0x5A214C63, 1234, 0x20, ".txt"}));
  EXPECT_EQ(first.Name, ShortString("readme"));
  const TFileEntry second = readFileEntry(r);
  EXPECT_EQ(second.Record.Ext, ExtensionString(".jpe"));
  EXPECT_EQ(second.Record.Attr, kAttrUserDesc);
  EXPECT_TRUE(r.atEnd());
}

TEST(FileListBlock, DamageIsCode003) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    uint64_t bytesLeft;
  };
  const Case cases[] = {
      {"check -L", hexBytes("0D000000 F3FFFFFF 02 00000000"), 100},
      {"kind of a disk block", hexBytes("0D000000 F2FFFFFF 01 00000000"), 100},
      {"shorter than a head and count", hexBytes("0C000000 F3FFFFFF 02 00000000"), 100},
      {"longer than the file", hexBytes("0D000000 F2FFFFFF 02 00000000"), 12},
      {"more files than L holds", hexBytes("20000000 DFFFFFFF 02 02000000"), 100},
      {"negative count", hexBytes("0D000000 F2FFFFFF 02 FFFFFFFF"), 100},
      {"head cut short", hexBytes("0D000000 F2FFFFFF 02"), 100},
      {"no files in a longer block", hexBytes("0E000000 F1FFFFFF 02 00000000 00"), 100},
  };
  for (const Case& c : cases) {
    ByteReader r(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(damageOf([&] { readFileListHead(r, c.bytesLeft); }), kDamageFileList) << c.what;
  }

  std::vector<uint8_t> cut = twoFileBlock();
  cut.pop_back();
  ByteReader r(cut.data(), cut.size());
  readFileListHead(r, 100);
  readFileEntry(r);
  EXPECT_EQ(damageOf([&] { readFileEntry(r); }), kDamageFileList) << "entry past the block";

  std::vector<uint8_t> wideExtension = twoFileBlock();
  wideExtension[kFileListFixedSize + kFileRecordExtensionOffset] = 5;
  ByteReader wide(wideExtension.data(), wideExtension.size());
  readFileListHead(wide, 100);
  EXPECT_EQ(damageOf([&] { readFileEntry(wide); }), kDamageFileList) << "extension of 5";
}

// Each entry of a block leaves room for the fixed parts of those the count names after it.
TEST(FileListBlock, EntriesLeaveRoomForThoseAfterThem) {
  const std::vector<uint8_t> block = twoFileBlock();
  const auto entriesOf = [&block](uint32_t countAfterFirst) {
    ByteReader r(block.data(), block.size());
    r.skip(kFileListFixedSize);
    return damageOf([&] {
      readListEntryView(r, countAfterFirst);
      if (countAfterFirst > 0) readListEntryView(r, countAfterFirst - 1);
    });
  };
  EXPECT_EQ(entriesOf(1), 0);
  EXPECT_EQ(entriesOf(2), kDamageFileList) << "the count asks for more than the block";
}

}  // namespace
}  // namespace vellomar

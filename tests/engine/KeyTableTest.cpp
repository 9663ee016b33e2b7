#include "engine/UKeyTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/UDamageCodes.h"
#include "foundation/UExceptions.h"
#include "platform/PText.h"
#include "tests/support/DBaseImage.h"
#include "tests/support/DamageProbe.h"

namespace vellomar {
namespace {

using testing::damageOf;
using testing::DBaseImage;
using testing::MemoryDataArea;

std::vector<std::string> namesInOrder(KeyTable& table) {
  std::vector<std::string> names;
  for (const TKeyEntry& key : table.keys().Keys)
    names.push_back(table.ReadDiskName(key.Offset).str());
  return names;
}

TEST(KeyTable, LiveKeysSortIgnoringCaseTheLaterEqualNameFirst) {
  DBaseImage image;
  const int32_t beta = image.addDisk("beta");
  const int32_t upper = image.addDisk("Alpha");
  const int32_t lower = image.addDisk("alpha");
  MemoryDataArea file(image.bytes());
  KeyTable table(file);
  for (int32_t offset : {beta, upper, lower}) ASSERT_TRUE(table.InsertKey(offset, 0));
  EXPECT_EQ(namesInOrder(table), (std::vector<std::string>{"alpha", "Alpha", "beta"}));
  EXPECT_EQ(table.keys().CurrentIndex, 0) << "the key last inserted";
  EXPECT_EQ(table.keys().LiveCount, 3);
  EXPECT_TRUE(table.keysModified());
  EXPECT_TRUE(table.disksChanged());

  // A third equal name goes before all of them, not only before the one a probe hits first.
  const int32_t shout = image.addDisk("ALPHA");
  const KeyTable::FoundKey found = table.FindKey("ALPHA", 0);
  EXPECT_TRUE(found.Found);
  EXPECT_EQ(found.Index, 0);
  ASSERT_TRUE(table.InsertKey(shout, 0));
  EXPECT_EQ(namesInOrder(table), (std::vector<std::string>{"ALPHA", "alpha", "Alpha", "beta"}));
  EXPECT_FALSE(table.FindKey("gamma", 0).Found);
  EXPECT_EQ(table.FindKey("gamma", 0).Index, 4);
  EXPECT_EQ(table.FindKey("aaa", kKeyDeleted).Index, 4) << "deleted keys go after the live ones";
}

TEST(KeyTable, DeletingMovesTheKeyToTheFirstDeletedPlace) {
  DBaseImage image;
  std::vector<int32_t> offsets;
  for (const char* name : {"a", "b", "c", "d"}) offsets.push_back(image.addDisk(name));
  MemoryDataArea file(image.bytes());
  KeyTable table(file);
  for (int32_t offset : offsets) table.InsertKey(offset, 0);
  table.keys().Keys[1].Flags |= kKeySelected;
  table.keys().Keys[2].Flags |= kKeySelected;
  table.MoveKeyToDeleted(3);  // d
  table.MoveKeyToDeleted(1);  // b, selected
  EXPECT_EQ(table.keys().LiveCount, 2);
  EXPECT_EQ(table.GetKeyCount(false), 2);
  EXPECT_EQ(table.GetKeyCount(true), 4);
  EXPECT_EQ(table.keys().Keys[2], (TKeyEntry{kKeyDeleted, offsets[1]})) << "selection dropped";
  EXPECT_EQ(table.keys().Keys[3], (TKeyEntry{kKeyDeleted, offsets[3]}));
  EXPECT_EQ(table.CountSelectedKeys(), 1) << "only live keys count";
  EXPECT_EQ(table.FirstSelectedKey(), 1);
  table.clearSelection();
  EXPECT_EQ(table.FirstSelectedKey(), -1);

  table.setDisksChanged(false);
  table.MoveKeyToDeleted(4);
  table.RepositionKey(99);
  EXPECT_FALSE(table.disksChanged()) << "indices past the table change nothing";
}

TEST(KeyTable, BadPositionsRaiseTheirDamage) {
  DBaseImage image;
  const int32_t disk = image.addDisk("a");
  MemoryDataArea file(image.bytes());
  KeyTable table(file);
  EXPECT_EQ(damageOf([&] { table.MoveKeyToDeleted(-1); }), 0) << "an empty table ignores it";
  table.InsertKey(disk, 0);
  EXPECT_EQ(damageOf([&] { table.AddKeyAt(-1, disk, 0); }), kDamageKeyInsert);
  EXPECT_EQ(damageOf([&] { table.AddKeyAt(2, disk, 0); }), kDamageKeyInsert);
  EXPECT_EQ(damageOf([&] { table.MoveKeyToDeleted(-1); }), kDamageKeyDelete);
  EXPECT_EQ(damageOf([&] { table.RepositionKey(-1); }), kDamageKeyReposition);
  EXPECT_EQ(table.keys().count(), 1);
}

TEST(KeyTable, RenamedDiskIsRepositionedUnderItsNewName) {
  DBaseImage image;
  const int32_t a = image.addDisk("a");
  const int32_t m = image.addDisk("m");
  MemoryDataArea file(image.bytes());
  KeyTable table(file);
  table.InsertKey(a, 0);
  table.InsertKey(m, 0);
  image.bytes()[a + kDiskNameBlockOffset + 1] = 'z';  // the details rewritten in place
  table.RepositionKey(0);
  EXPECT_EQ(namesInOrder(table), (std::vector<std::string>{"m", "z"}));
}

TEST(KeyTable, FullTableDropsItsLastDeletedKeyOrRefuses) {
  DBaseImage image;
  const int32_t disk = image.addDisk("same");
  const int32_t other = image.addDisk("new");
  MemoryDataArea file(image.bytes());
  KeyTable table(file);
  TKeyField keys;
  keys.Keys.assign(kKeyCapacity, TKeyEntry{0, disk});
  keys.Keys.back().Flags = kKeyDeleted;
  keys.LiveCount = kKeyCapacity - 1;
  table.assign(keys);
  ASSERT_TRUE(table.InsertKey(other, 0));
  EXPECT_EQ(table.keys().count(), kKeyCapacity);
  EXPECT_EQ(table.keys().LiveCount, kKeyCapacity);
  EXPECT_EQ(table.keys().Keys[0].Offset, other);
  EXPECT_FALSE(table.InsertKey(other, 0)) << "10000 live keys";
  EXPECT_EQ(table.keys().count(), kKeyCapacity);
}

TEST(KeyTable, OffsetsPastTheLargestFileAreRefusedAsFull) {
  DBaseImage image;
  MemoryDataArea file(image.bytes());
  KeyTable table(file);
  try {
    table.InsertKey(int64_t{0x80000000}, 0);
    ADD_FAILURE() << "a wrapped offset was stored";
  } catch (const EKstvNormalException& e) {
    EXPECT_STREQ(e.what(), "Database is full. Make compression.");
  }
  EXPECT_EQ(table.keys().count(), 0);
}

TEST(KeyTable, ReadDiskNameChecksTheBlockAndReadsOnce) {
  DBaseImage image;
  const int32_t current = image.addDisk("Current");
  const int32_t older = image.addDisk("Older", false, BlockForm::kOlder);
  std::vector<uint8_t> junk(400, 0x55);
  const int32_t notABlock = image.append(junk);
  const int32_t cut = image.addDisk("Cut");
  image.bytes().resize(cut + kBlockHeadSize + 200);  // details run past the end of the file
  MemoryDataArea file(image.bytes());
  KeyTable table(file);
  struct Case {
    int32_t offset;
    const char* name;
  };
  const Case cases[] = {
      {current, "Current"},  {older, "Older"}, {notABlock, "???"},       {cut, "???"},
      {image.size(), "???"}, {-5, "???"},      {kKeyFieldOffset, "???"},
  };
  for (const Case& c : cases) EXPECT_EQ(table.ReadDiskName(c.offset).str(), c.name) << c.offset;
  const int reads = file.reads;
  for (const Case& c : cases) table.ReadDiskName(c.offset);
  EXPECT_EQ(file.reads, reads) << "names are kept per block offset";
}

TEST(KeyTable, ResortReadsEachNameOnceAndReversesTheDeletedGroup) {
  DBaseImage image;
  TKeyField keys;
  for (int i = 0; i < 300; ++i) {
    const std::string name = "disk " + std::to_string((i * 7919) % 300);
    keys.Keys.push_back({0, image.addDisk(name)});
  }
  for (const char* name : {"x [1]", "y [2]", "a [3]"}) {
    keys.Keys.push_back({kKeyDeleted, image.addDisk(name, true)});
  }
  keys.LiveCount = 300;
  keys.CurrentIndex = 5;
  keys.DeletionNumber = 3;
  MemoryDataArea file(image.bytes());
  KeyTable table(file);
  table.assign(keys);
  table.ResortKeys();
  EXPECT_EQ(file.reads, 300) << "deleted keys are never compared";
  const std::vector<std::string> names = namesInOrder(table);
  for (int i = 1; i < 300; ++i) EXPECT_LT(compareText(names[i - 1], names[i]), 0) << i;
  EXPECT_EQ(std::vector<std::string>(names.begin() + 300, names.end()),
            (std::vector<std::string>{"a [3]", "y [2]", "x [1]"}));
  EXPECT_EQ(table.keys().LiveCount, 300);
  EXPECT_EQ(table.keys().CurrentIndex, 5);
  EXPECT_EQ(table.keys().DeletionNumber, 3) << "the running number survives the re-sort";

  // A table already in order gives what sorting gives: the live keys stay, the deleted group
  // turns round again.
  const std::vector<TKeyEntry> sorted = table.keys().Keys;
  table.ResortKeys();
  EXPECT_TRUE(std::equal(sorted.begin(), sorted.begin() + 300, table.keys().Keys.begin()));
  const std::vector<std::string> again = namesInOrder(table);
  EXPECT_EQ(std::vector<std::string>(again.begin() + 300, again.end()),
            (std::vector<std::string>{"x [1]", "y [2]", "a [3]"}));
}

TEST(KeyTable, RebuildFindsEveryDiskBlockOfTheDataArea) {
  DBaseImage image;
  const int32_t live = image.addDisk("live");
  const int32_t deleted = image.addDisk("gone [4]", true);
  const int32_t revived = image.addDisk("no suffix", true);
  const int32_t older = image.addDisk("old form", false, BlockForm::kOlder);
  // Fakes: a disk head with flags 2, and a head whose check belongs to no length.
  DBaseImage fakes;
  const int32_t flagsTwo = fakes.addDisk("fake");
  fakes.bytes()[flagsTwo + kBlockHeadSize] = 2;
  const int32_t badCheck = fakes.addDisk("fake");
  fakes.bytes()[badCheck + 4] ^= 0x10;
  image.append(std::span<const uint8_t>(fakes.bytes()).subspan(flagsTwo));
  // A block whose head straddles the first and second 32768-byte pieces.
  image.bytes().resize(kDataAreaOffset + 32768 - 5, 0);
  const int32_t straddling = image.addDisk("straddling");
  // A head at the very end whose details would lie past the end of the file.
  const int32_t truncated = image.addDisk("truncated");
  image.bytes().resize(truncated + kBlockHeadSize + kOldDiskInfoSize - 1);

  MemoryDataArea file(image.bytes());
  KeyTable table(file);
  table.RebuildKeyTable();
  const std::vector<TKeyEntry> expected = {
      {0, live}, {0, revived}, {0, older}, {0, straddling}, {kKeyDeleted, deleted}};
  EXPECT_EQ(namesInOrder(table),
            (std::vector<std::string>{"live", "no suffix", "old form", "straddling", "gone [4]"}));
  EXPECT_EQ(table.keys().Keys, expected);
  EXPECT_EQ(table.keys().LiveCount, 4);
  EXPECT_TRUE(table.keysModified());
}

TEST(KeyTable, RebuildOfTooManyBlocksKeepsLiveThenNewestDeleted) {
  DBaseImage image;
  std::vector<int32_t> deleted;
  deleted.push_back(image.addDisk("d1 [1]", true, BlockForm::kOlder));
  for (int i = 0; i < kKeyCapacity - 2; ++i) image.addDisk("live", false, BlockForm::kOlder);
  for (const char* name : {"d2 [2]", "d3 [3]", "d4 [4]"}) {
    deleted.push_back(image.addDisk(name, true, BlockForm::kOlder));
  }
  MemoryDataArea file(image.bytes());
  KeyTable table(file);
  table.RebuildKeyTable();
  ASSERT_EQ(table.keys().count(), kKeyCapacity);
  EXPECT_EQ(table.keys().LiveCount, kKeyCapacity - 2);
  EXPECT_EQ(table.keys().Keys[kKeyCapacity - 2].Offset, deleted[3]);
  EXPECT_EQ(table.keys().Keys[kKeyCapacity - 1].Offset, deleted[2]);
}

TEST(DeletedDiskName, SuffixAlwaysFitsWhole) {
  struct Case {
    const char* what;
    std::string name;
    int32_t number;
    std::string expected;
  };
  const std::string long255(255, 'n');
  // With a 7-byte suffix 248 bytes are left, which ends inside the two-byte character.
  const std::string accented = std::string(247, 'n') + "\xC3\xA9";
  const Case cases[] = {
      {"plain", "Photos", 7, "Photos [7]"},
      {"already deleted", "Photos [7]", 8, "Photos [7]"},
      {"ends in a bracket", "x]", 1, "x]"},
      {"empty name", "", 12, " [12]"},
      {"full name shortened", long255, 10000, std::string(247, 'n') + " [10000]"},
      {"never inside a character", accented, 1234, std::string(247, 'n') + " [1234]"},
  };
  for (const Case& c : cases) {
    const ShortString name = DeletedDiskName(ShortString(c.name), c.number);
    EXPECT_EQ(name.str(), c.expected) << c.what;
  }
}

}  // namespace
}  // namespace vellomar

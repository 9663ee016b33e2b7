#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/UBlockHead.h"
#include "engine/UDBaseLayout.h"
#include "engine/api/UApi.h"
#include "foundation/UExceptions.h"
#include "tests/support/CatalogueView.h"
#include "tests/support/SampleCatalogue.h"
#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

using testing::CatalogueView;
using testing::DiskView;
using Bytes = std::vector<uint8_t>;

int32_t int32At(const Bytes& bytes, size_t at) {
  int32_t value = 0;
  std::memcpy(&value, bytes.data() + at, sizeof value);
  return value;
}

void putInt32(Bytes& bytes, size_t at, int32_t value) {
  std::memcpy(bytes.data() + at, &value, sizeof value);
}

struct Block {
  int32_t Offset = 0;
  int32_t Length = 0;
  uint8_t Kind = 0;
};

// The data area as the writers left it: blocks one after the other.
std::vector<Block> blocksOf(const Bytes& bytes) {
  std::vector<Block> blocks;
  size_t at = kDataAreaOffset;
  while (at + kBlockHeadSize <= bytes.size()) {
    const Block block{static_cast<int32_t>(at), int32At(bytes, at), bytes[at + 8]};
    blocks.push_back(block);
    if (block.Length < static_cast<int32_t>(kBlockHeadSize)) break;
    at += static_cast<size_t>(block.Length);
  }
  return blocks;
}

// What a disk is made of in the file: its block, and the file lists and descriptions it points
// at; the places of its folder records (their counts) and of its file entries (their records).
struct DiskLayout {
  std::string Name;
  bool Live = false;
  int32_t BlockOffset = 0;
  std::set<int32_t> Blocks;
  std::vector<int32_t> FolderRecords;
  std::vector<int32_t> FileEntries;
};

void collectFolder(TDBase* db, TDirCollection* root, DiskLayout& disk) {
  auto onFolder = [&](const TOneDir& dir, const std::string&) {
    disk.FolderRecords.push_back(dir.EntryOffset - 4);
    if (dir.Data.FileListOffset != 0) disk.Blocks.insert(dir.Data.FileListOffset);
    if (dir.Data.DescOffset != 0) disk.Blocks.insert(dir.Data.DescOffset);
  };
  auto onFile = [&](const TOneFile& line, const std::string&) {
    disk.FileEntries.push_back(line.EntryOffset);
    if (line.Data.DescOffset != 0) disk.Blocks.insert(line.Data.DescOffset);
  };
  testing::walkFolder(db, root, "", onFolder, onFile);
}

std::vector<DiskLayout> layoutOf(const std::string& path, const Bytes& bytes) {
  std::vector<DiskLayout> stored;
  const int32_t count = int32At(bytes, kKeyFieldOffset + 8);
  const int32_t live = int32At(bytes, kKeyFieldOffset + 12);
  for (int32_t k = 0; k < count; ++k) {
    DiskLayout disk;
    disk.BlockOffset = int32At(bytes, kKeyFieldOffset + kKeyFieldHeadSize + 6 * size_t(k) + 2);
    disk.Live = k < live;
    disk.Blocks.insert(disk.BlockOffset);
    const size_t nameAt = static_cast<size_t>(disk.BlockOffset) + 125;
    disk.Name.assign(reinterpret_cast<const char*>(bytes.data() + nameAt + 1), bytes[nameAt]);
    stored.push_back(std::move(disk));
  }
  TDBase* db = nullptr;
  ShortString error;
  if (!ApiOpenDBase(ShortString(path), false, db, error)) {
    ADD_FAILURE() << error.str();
    return stored;
  }
  TLocalOptions options;
  ApiGetLocalOptions(db, options);
  options.ShowDeleted = true;
  ApiSetLocalOptions(db, options);
  for (int32_t i = 0; i < ApiGetKeyCount(db); ++i) {
    EXPECT_TRUE(ApiGoToDisk(db, i));
    TDiskInfo info;
    ApiGetDiskInfo(db, info);
    for (DiskLayout& disk : stored) {
      if (disk.Name == info.DiskName.str()) collectFolder(db, ApiGetRootDirCol(db), disk);
    }
  }
  ApiFreeTreeStruct(db);
  ApiCloseDBase(db, false);
  return stored;
}

enum class Outcome {
  kRefused,    // the open refuses with the text given
  kCounted,    // it opens, and the walk counts damage
  kUnchanged,  // it opens and shows exactly what the sound file shows, without damage
  kReadable,   // it opens and the walk ends, whatever it finds
  kAnything,   // it opens and the walk ends, or the open refuses
};

struct Damage {
  std::string Name;
  std::function<void(Bytes&)> Apply;
  Outcome Expected = Outcome::kReadable;
  std::string Refusal = {};
};

const std::string kCannotOpen = "The database cannot be open\r\nIt is not a catalogue.";
const std::string kCorrupted = "The database has corrupted header.";

class DamagedCatalogueTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sound_ = new Bytes(testing::sampleCatalogueBytes());
    if (sound_->empty()) return;
    vellomar::test::TempFolder folder{"sound"};
    const std::string path = write(folder, "sound.kvd", *sound_);
    view_ = new CatalogueView(testing::viewCatalogue(path));
    layout_ = new std::vector<DiskLayout>(layoutOf(path, *sound_));
    blocks_ = new std::vector<Block>(blocksOf(*sound_));
  }
  static void TearDownTestSuite() {
    delete sound_;
    delete view_;
    delete layout_;
    delete blocks_;
  }
  void SetUp() override {
    if (sound_->empty()) GTEST_SKIP() << "no drive holds the temporary folder";
  }

  static std::string write(const vellomar::test::TempFolder& folder, const std::string& name,
                           const Bytes& bytes) {
    return folder.file(name,
                       std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }

  static int32_t blockLength(int32_t offset) {
    for (const Block& block : *blocks_) {
      if (block.Offset == offset) return block.Length;
    }
    ADD_FAILURE() << "no block at " << offset;
    return 0;
  }

  static bool referenced(int32_t offset) {
    for (const DiskLayout& disk : *layout_) {
      if (disk.Blocks.count(offset) != 0) return true;
    }
    return false;
  }

  static bool intact(const Bytes& damaged, int32_t offset) {
    const auto begin = static_cast<size_t>(offset);
    const auto end = begin + static_cast<size_t>(blockLength(offset));
    return end <= damaged.size() &&
           std::equal(damaged.begin() + static_cast<std::ptrdiff_t>(begin),
                      damaged.begin() + static_cast<std::ptrdiff_t>(end),
                      sound_->begin() + static_cast<std::ptrdiff_t>(begin));
  }

  // Opens and walks the damaged file, then repairs it: every live disk whose block came
  // through whole is in the repaired file with its folders, and with everything else when
  // its file lists and descriptions came through too; the repaired file holds no damage.
  void check(const Damage& damage) {
    SCOPED_TRACE(damage.Name);
    Bytes bytes = *sound_;
    damage.Apply(bytes);
    const std::string damaged = write(folder_, "damaged.kvd", bytes);

    const CatalogueView view = testing::viewCatalogue(damaged);
    switch (damage.Expected) {
      case Outcome::kRefused:
        EXPECT_FALSE(view.Opened);
        EXPECT_EQ(view.Error, damage.Refusal);
        break;
      case Outcome::kCounted:
        ASSERT_TRUE(view.Opened) << view.Error;
        EXPECT_GT(view.Damage, 0);
        break;
      case Outcome::kUnchanged:
        ASSERT_TRUE(view.Opened) << view.Error;
        EXPECT_EQ(view.Damage, 0);
        EXPECT_EQ(view.Disks, view_->Disks);
        break;
      case Outcome::kReadable:
        EXPECT_TRUE(view.Opened) << view.Error;
        break;
      case Outcome::kAnything:
        break;
    }

    const std::string repaired = folder_.at("repaired.kvd");
    const std::string outcome = testing::repairCatalogue(damaged, repaired);
    const int32_t header = ApiTestDBaseFile(ShortString(damaged));
    if (header != 0 && header != 6) {
      EXPECT_NE(outcome, "") << "a file refused at its header is not repaired";
      return;
    }
    if (bytes.size() < kKeyFieldOffset) {
      EXPECT_NE(outcome, "") << "no settings, no repair";
      return;
    }
    ASSERT_EQ(outcome, "");
    const CatalogueView after = testing::viewCatalogue(repaired);
    ASSERT_TRUE(after.Opened) << after.Error;
    EXPECT_EQ(after.Damage, 0);
    for (size_t d = 0; d < layout_->size(); ++d) {
      const DiskLayout& disk = (*layout_)[d];
      if (!disk.Live || !intact(bytes, disk.BlockOffset)) continue;
      const DiskView* sound = testing::diskNamed(*view_, disk.Name);
      const DiskView* found = testing::diskNamed(after, disk.Name);
      ASSERT_NE(found, nullptr) << disk.Name << " lost by the repair";
      bool whole = true;
      for (int32_t block : disk.Blocks) whole = whole && intact(bytes, block);
      if (whole) {
        EXPECT_EQ(*found, *sound) << disk.Name;
      } else {
        EXPECT_EQ(folderLines(*found), folderLines(*sound)) << disk.Name;
      }
    }
  }

  // The folder lines without their descriptions: what the disk block alone holds.
  static std::vector<std::string> folderLines(const DiskView& disk) {
    std::vector<std::string> lines;
    for (const std::string& line : disk.Lines) {
      if (line.rfind("D ", 0) == 0) lines.push_back(line.substr(0, line.find(" [")));
    }
    return lines;
  }

  static Bytes* sound_;
  static CatalogueView* view_;
  static std::vector<DiskLayout>* layout_;
  static std::vector<Block>* blocks_;
  vellomar::test::TempFolder folder_{"damaged"};
};

Bytes* DamagedCatalogueTest::sound_ = nullptr;
CatalogueView* DamagedCatalogueTest::view_ = nullptr;
std::vector<DiskLayout>* DamagedCatalogueTest::layout_ = nullptr;
std::vector<Block>* DamagedCatalogueTest::blocks_ = nullptr;

std::function<void(Bytes&)> setByte(size_t at, uint8_t value) {
  return [=](Bytes& b) { b[at] = value; };
}
std::function<void(Bytes&)> addToByte(size_t at, uint8_t delta) {
  return [=](Bytes& b) { b[at] = static_cast<uint8_t>(b[at] + delta); };
}
std::function<void(Bytes&)> setInt32(size_t at, int32_t value) {
  return [=](Bytes& b) { putInt32(b, at, value); };
}
std::function<void(Bytes&)> setUint16(size_t at, uint16_t value) {
  return [=](Bytes& b) { std::memcpy(b.data() + at, &value, sizeof value); };
}

TEST_F(DamagedCatalogueTest, SampleHoldsWhatTheDamageIsMeantToHit) {
  EXPECT_EQ(view_->Damage, 0);
  ASSERT_EQ(view_->Disks.size(), 4u);
  std::set<uint8_t> kinds;
  for (const Block& block : *blocks_) kinds.insert(block.Kind);
  EXPECT_EQ(kinds, (std::set<uint8_t>{1, 2, 12}));
  const Block& last = blocks_->back();
  EXPECT_EQ(static_cast<size_t>(last.Offset + last.Length), sound_->size());
  EXPECT_TRUE(referenced(last.Offset));
  EXPECT_FALSE(std::all_of(blocks_->begin(), blocks_->end(), [](const Block& block) {
    return referenced(block.Offset);
  })) << "the superseded description stays unreferenced";
}

TEST_F(DamagedCatalogueTest, HeaderCopiesAndVersions) {
  const Damage cases[] = {
      {"magic", setByte(0, 'k'), Outcome::kRefused, "This file is not a Vellomar database."},
      {"magic blank", setByte(17, 0), Outcome::kRefused, "This file is not a Vellomar database."},
      {"version needed", setInt32(22, 0x502), Outcome::kRefused,
       "This database requires newer version of the program."},
      {"version written", setInt32(18, 0x7777), Outcome::kUnchanged},
      {"copy A seed", addToByte(30, 1), Outcome::kRefused, kCorrupted},
      {"copy A first byte", addToByte(31, 1), Outcome::kRefused, kCorrupted},
      {"copy A read-only flag", addToByte(42, 1), Outcome::kRefused, kCorrupted},
      {"copy A last byte", addToByte(305, 1), Outcome::kRefused, kCorrupted},
      {"copy B first byte", addToByte(2351, 1), Outcome::kRefused, kCorrupted},
      {"copy B last byte", addToByte(2625, 1), Outcome::kRefused, kCorrupted},
      {"filler between the copies", addToByte(1000, 1), Outcome::kUnchanged},
      {"settings", setByte(kLocalOptionsOffset + 2000, 'x'), Outcome::kReadable},
      {"description table unterminated",
       [](Bytes& b) { std::fill_n(b.begin() + kLocalOptionsOffset + 5, 2049, uint8_t{'|'}); },
       Outcome::kReadable},
  };
  for (const Damage& damage : cases) check(damage);
}

TEST_F(DamagedCatalogueTest, KeyTableHeadAndEntries) {
  const size_t head = kKeyFieldOffset;
  const size_t entry = kKeyFieldOffset + kKeyFieldHeadSize;
  const int32_t fileList = [] {
    for (const Block& block : *blocks_) {
      if (block.Kind == 2) return block.Offset;
    }
    return 0;
  }();
  const Damage cases[] = {
      {"capacity", setInt32(head, 0), Outcome::kUnchanged},
      {"current index negative", setInt32(head + 4, -7), Outcome::kUnchanged},
      {"current index too large", setInt32(head + 4, 1 << 30), Outcome::kUnchanged},
      {"count negative", setInt32(head + 8, -1), Outcome::kReadable},
      {"count zero", setInt32(head + 8, 0), Outcome::kReadable},
      {"count past the capacity", setInt32(head + 8, 1 << 30), Outcome::kCounted},
      {"count of unused entries", setInt32(head + 8, 9), Outcome::kCounted},
      {"live count above count", setInt32(head + 12, 1000), Outcome::kReadable},
      {"live count negative", setInt32(head + 12, -3), Outcome::kReadable},
      {"deletion number", setInt32(head + 16, -99), Outcome::kUnchanged},
      {"entry flags", setUint16(entry, 0xFFFF), Outcome::kReadable},
      {"entry at the file start", setInt32(entry + 2, 0), Outcome::kCounted},
      {"entry negative", setInt32(entry + 2, -1), Outcome::kCounted},
      {"entry past the end", setInt32(entry + 2, 0x7FFFFFF0), Outcome::kCounted},
      {"entry inside the header", setInt32(entry + 2, 200), Outcome::kCounted},
      {"entry inside a block", setInt32(entry + 2, int32_t(kDataAreaOffset) + 3),
       Outcome::kCounted},
      {"entry at a file list", setInt32(entry + 2, fileList), Outcome::kCounted},
      {"whole head zero", [=](Bytes& b) { std::fill_n(b.begin() + head, 24, uint8_t{0}); },
       Outcome::kReadable},
  };
  for (const Damage& damage : cases) check(damage);
}

// Every head of the data area: its length, check and kind, each alone; a head that still
// matches its check but lies about the length, to the end and past it.
TEST_F(DamagedCatalogueTest, EveryBlockHead) {
  std::vector<Damage> cases;
  for (const Block& block : *blocks_) {
    const auto at = static_cast<size_t>(block.Offset);
    const Outcome broken = referenced(block.Offset) ? Outcome::kCounted : Outcome::kUnchanged;
    const std::string where = "block " + std::to_string(block.Kind) + " at " + std::to_string(at);
    cases.push_back({where + ": length + 1", setInt32(at, block.Length + 1), broken});
    // NOT (L - 1) is -L: a disk block one byte shorter reads as its older form.
    cases.push_back({where + ": length - 1", setInt32(at, block.Length - 1),
                     block.Kind == 1 && broken == Outcome::kCounted ? Outcome::kReadable : broken});
    cases.push_back({where + ": length 0", setInt32(at, 0), broken});
    cases.push_back({where + ": check", addToByte(at + 4, 1), broken});
    cases.push_back({where + ": kind", setByte(at + 8, block.Kind == 2 ? 12 : 2), broken});
    const Outcome consistent = referenced(block.Offset) ? Outcome::kReadable : Outcome::kUnchanged;
    for (const int32_t length : {block.Length - 1, block.Length + 7, 0x7FFFFFF0, 9, -20}) {
      cases.push_back({where + ": consistent length " + std::to_string(length),
                       [=](Bytes& b) {
                         putInt32(b, at, length);
                         putInt32(b, at + 4, block.Kind == 1 ? -length : ~length);
                       },
                       length > block.Length + 7 ? broken : consistent});
    }
  }
  for (const Damage& damage : cases) check(damage);
}

// The counts and name lengths inside blocks: each folder record's subfolder count (alone and
// with its check) and name length, each file entry's name length, each file list's count.
TEST_F(DamagedCatalogueTest, EveryLengthInsideBlocks) {
  std::vector<Damage> cases;
  for (const DiskLayout& disk : *layout_) {
    for (const int32_t record : disk.FolderRecords) {
      const auto at = static_cast<size_t>(record);
      const std::string where = disk.Name + " folder at " + std::to_string(at);
      cases.push_back({where + ": count", addToByte(at, 1), Outcome::kCounted});
      cases.push_back({where + ": check", addToByte(at + 2, 1), Outcome::kCounted});
      cases.push_back({where + ": count with its check",
                       [=](Bytes& b) {
                         const uint16_t n = 0x7FFF;
                         const auto check = static_cast<uint16_t>(-n);
                         std::memcpy(b.data() + at, &n, 2);
                         std::memcpy(b.data() + at + 2, &check, 2);
                       },
                       Outcome::kCounted});
      cases.push_back({where + ": name length 255", setByte(at + 43, 255), Outcome::kReadable});
      cases.push_back({where + ": name length 0", setByte(at + 43, 0), Outcome::kReadable});
    }
    for (const int32_t entry : disk.FileEntries) {
      const auto at = static_cast<size_t>(entry);
      const std::string where = disk.Name + " file at " + std::to_string(at);
      cases.push_back({where + ": name length 255", setByte(at + 19, 255), Outcome::kReadable});
      cases.push_back(
          {where + ": extension length 200", setByte(at + 14, 200), Outcome::kReadable});
    }
  }
  for (const Block& block : *blocks_) {
    if (block.Kind != 2) continue;
    const auto at = static_cast<size_t>(block.Offset) + kBlockHeadSize;
    const Outcome broken = referenced(block.Offset) ? Outcome::kCounted : Outcome::kUnchanged;
    cases.push_back({"file list count huge", setInt32(at, 0x7FFFFFFF), broken});
    cases.push_back({"file list count negative", setInt32(at, -1), broken});
    cases.push_back({"file list count + 1", addToByte(at, 1), Outcome::kReadable});
  }
  for (const Damage& damage : cases) check(damage);
}

// Cuts at the header's, settings' and key table's edges, at every block edge and all along the
// data area.
TEST_F(DamagedCatalogueTest, TruncatedAtManyPoints) {
  const size_t keysEnd = kKeyFieldOffset + kKeyFieldHeadSize +
                         kKeyEntrySize * static_cast<size_t>(int32At(*sound_, kKeyFieldOffset + 8));
  std::set<size_t> cuts = {0,           17,      kHeaderSize - 1,     kHeaderSize,
                           3000,        4936,    kKeyFieldOffset,     kKeyFieldOffset + 23,
                           keysEnd - 1, keysEnd, kDataAreaOffset - 1, kDataAreaOffset};
  for (const Block& block : *blocks_) {
    for (const size_t d : {size_t{1}, size_t{8}, size_t{9}, size_t(block.Length) - 1}) {
      cuts.insert(static_cast<size_t>(block.Offset) + d);
    }
  }
  for (size_t at = kDataAreaOffset; at < sound_->size(); at += 997) cuts.insert(at);
  for (const size_t cut : cuts) {
    if (cut >= sound_->size()) continue;
    Damage damage{"cut at " + std::to_string(cut), [=](Bytes& b) { b.resize(cut); },
                  Outcome::kCounted};
    if (cut < kHeaderSize) {
      damage.Expected = Outcome::kRefused;
      damage.Refusal = kCannotOpen;
    } else if (cut < keysEnd) {
      damage.Expected = Outcome::kRefused;
      damage.Refusal = DBaseStructMessage(2);
    }
    check(damage);
  }
}

// Random bytes over a region, a few spots at a time; the data area and the key table always
// open, anywhere else the open may refuse.
TEST_F(DamagedCatalogueTest, RandomBytes) {
  const size_t keysEnd = kKeyFieldOffset + kKeyFieldHeadSize +
                         kKeyEntrySize * static_cast<size_t>(int32At(*sound_, kKeyFieldOffset + 8));
  const struct {
    std::string Name;
    size_t Begin;
    size_t End;
    int Rounds;
    Outcome Expected;
  } regions[] = {
      {"data area", kDataAreaOffset, sound_->size(), 80, Outcome::kReadable},
      {"key table", kKeyFieldOffset, keysEnd, 20, Outcome::kReadable},
      {"whole file", 0, sound_->size(), 30, Outcome::kAnything},
  };
  std::mt19937 random(20261210);
  for (const auto& region : regions) {
    for (int round = 0; round < region.Rounds; ++round) {
      const int spots = 1 + static_cast<int>(random() % 6);
      std::vector<std::pair<size_t, Bytes>> writes;
      for (int s = 0; s < spots; ++s) {
        Bytes junk(1 + random() % 12);
        for (uint8_t& byte : junk) byte = static_cast<uint8_t>(random());
        const size_t at = region.Begin + random() % (region.End - region.Begin - junk.size());
        writes.emplace_back(at, std::move(junk));
      }
      check({region.Name + " round " + std::to_string(round),
             [=](Bytes& b) {
               for (const auto& [at, junk] : writes) {
                 std::copy(junk.begin(), junk.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
               }
             },
             region.Expected});
    }
  }
}

}  // namespace
}  // namespace vellomar

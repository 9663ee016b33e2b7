// Repair, compress and import of damaged catalogues: what they write must read back whole
// through the readers that open and browse a database, and the repair's counts must be what the
// copy holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/UDBaseCopy.h"
#include "engine/UDescBlock.h"
#include "engine/UDiskBlock.h"
#include "engine/UKeyField.h"
#include "engine/api/UApi.h"
#include "engine/api/UApiSearch.h"
#include "tests/support/CatalogueBuilder.h"
#include "tests/support/CatalogueView.h"
#include "tests/support/SearchCatalogue.h"
#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

using testing::TestCatalogue;
using Names = std::vector<std::string>;

constexpr int32_t kDisks = 3;
// As the disks' details count them: without the roots.
constexpr int32_t kFolders = 4;
constexpr int32_t kFiles = 17;

// A span of the sound file that a case damages.
struct Region {
  size_t Start = 0;
  size_t Length = 0;
};

// Three disks, each block appended after the file lists and descriptions it points at:
// "Alpha": root files r1.txt (described) and r2.doc; "docs" (described) with eight files, d3.txt
// described; "pics" with two files and a subfolder "old" with one. "Beta": two root files, a
// folder "music" with one described file. "Gamma": one root file.
struct SoundCatalogue {
  std::string Bytes;
  Region DocsList;
  Region AlphaRootRecord;
  Region DocsRecord;
  Region OldRecord;
  Region DocsFileDescription;
  Region BetaHeader;
  Region GammaBlock;
};

SoundCatalogue buildSound() {
  SoundCatalogue sound;
  TestCatalogue c;
  const int32_t rootFileDesc = testing::addDescription(c, "the first root file");
  TDirCollection& alpha = c.newDisk("Alpha");
  c.setFiles(alpha, {{"r1.txt", 10, 0, 0, rootFileDesc}, {"r2.doc", 20}});
  TDirCollection& docs = TestCatalogue::addFolder(alpha, "docs");
  docs.Dir.Data.DescOffset = testing::addDescription(c, "the folder of documents");
  const std::string d3Text = "the third document, described at length";
  const int32_t d3Desc = testing::addDescription(c, d3Text);
  sound.DocsFileDescription = {static_cast<size_t>(d3Desc), kDescBlockFixedSize + d3Text.size()};
  std::vector<testing::FileSpec> docFiles;
  for (int i = 1; i <= 8; ++i) {
    docFiles.push_back({"d" + std::to_string(i) + ".txt", static_cast<uint64_t>(100 * i), 0x5A21,
                        0x20, i == 3 ? d3Desc : 0});
  }
  c.setFiles(docs, docFiles);
  const int32_t docsList = docs.Dir.Data.FileListOffset;
  sound.DocsList = {static_cast<size_t>(docsList),
                    kFileListFixedSize + 8 * (kFileEntryFixedSize + 2)};
  TDirCollection& pics = TestCatalogue::addFolder(alpha, "pics");
  c.setFiles(pics, {{"p1.jpg", 1}, {"p2.jpg", 2}});
  c.setFiles(TestCatalogue::addFolder(pics, "old"), {{"o1.png", 3}});
  c.trees.Current->DiskInfo.Folders = 3;
  c.trees.Current->DiskInfo.Files = 13;
  const int32_t alphaBlock = c.saveDisk();

  TDirCollection& beta = c.newDisk("Beta");
  c.setFiles(beta, {{"b1.txt", 1}, {"b2.txt", 2}});
  const int32_t songDesc = testing::addDescription(c, "a song");
  c.setFiles(TestCatalogue::addFolder(beta, "music"), {{"m1.mp3", 5, 0, 0, songDesc}});
  sound.BetaHeader = {static_cast<size_t>(c.saveDisk()), kDiskBlockFixedSize};

  c.setFiles(c.newDisk("Gamma"), {{"g1.txt", 1}});
  const int32_t gammaBlock = c.saveDisk();

  LoadTreeStruct(c.handle, c.trees, alphaBlock, 0);
  const TDirCollection& storedRoot = *c.trees.Current->Root;
  sound.AlphaRootRecord = {
      static_cast<size_t>(storedRoot.Dir.EntryOffset) - kFolderDataRecordOffset,
      folderRecordSize(1)};
  const TDirCollection* stored = testing::subDirNamed(storedRoot, "docs");
  sound.DocsRecord = {static_cast<size_t>(stored->Dir.EntryOffset) - kFolderDataRecordOffset,
                      folderRecordSize(4)};
  const TDirCollection* old =
      testing::subDirNamed(*testing::subDirNamed(storedRoot, "pics"), "old");
  sound.OldRecord = {static_cast<size_t>(old->Dir.EntryOffset) - kFolderDataRecordOffset,
                     folderRecordSize(3)};
  c.trees.Current.reset();
  sound.Bytes = vellomar::test::contentOf(c.path());
  sound.GammaBlock = {static_cast<size_t>(gammaBlock), sound.Bytes.size() - gammaBlock};
  return sound;
}

const SoundCatalogue& sound() {
  static const SoundCatalogue catalogue = buildSound();
  return catalogue;
}

enum class Where { kStart, kMiddle, kEnd };
enum class Damage { kFlip, kCut };

// The damage's first byte: flips take kFlipLength bytes from there, cuts end the file there.
constexpr size_t kFlipLength = 8;

size_t damageAt(const Region& region, Where where) {
  switch (where) {
    case Where::kStart:
      return region.Start;
    case Where::kMiddle:
      return region.Start + region.Length / 2 - kFlipLength / 2;
    case Where::kEnd:
      return region.Start + region.Length - kFlipLength;
  }
  return region.Start;
}

std::string damaged(const Region& region, Where where, Damage damage) {
  std::string bytes = sound().Bytes;
  const size_t at = damageAt(region, where);
  if (damage == Damage::kCut) {
    bytes.resize(at);
  } else {
    for (size_t i = at; i < at + kFlipLength; ++i) bytes[i] = static_cast<char>(bytes[i] ^ 0xFF);
  }
  return bytes;
}

// What the view of a copy holds, counted as the repair counts it.
struct Held {
  int32_t Disks = 0;
  int32_t Folders = 0;
  int32_t Files = 0;
  int32_t Descriptions = 0;
};

Held heldBy(const testing::CatalogueView& view) {
  Held held;
  held.Disks = static_cast<int32_t>(view.Disks.size());
  for (const testing::DiskView& disk : view.Disks) {
    // The root, the first line, is no folder of the disk's count.
    --held.Folders;
    for (const std::string& line : disk.Lines) {
      ++(line.starts_with("D ") ? held.Folders : held.Files);
      if (line.find(" [") != std::string::npos) ++held.Descriptions;
    }
  }
  return held;
}

Names namesOf(const std::vector<ShortString>& names) {
  Names texts;
  for (const ShortString& name : names) texts.push_back(name.str());
  return texts;
}

class RepairTest : public ::testing::Test {
 protected:
  // The repair run's copy of the file holding bytes, into a new file; its counts.
  TCopyCounts repair(const std::string& bytes) {
    const std::string source = folder_.file("damaged.kvd", bytes);
    TDBase* from = nullptr;
    ShortString error;
    EXPECT_TRUE(ApiOpenDBase(ShortString(source), true, from, error)) << error.str();
    EXPECT_TRUE(ApiCreateDBase(ShortString(target())));
    TDBase* into = nullptr;
    EXPECT_TRUE(ApiOpenDBase(ShortString(target()), false, into, error)) << error.str();
    TCopyCounts counts;
    EXPECT_TRUE(ApiRepairDBase(from, into, counts));
    ApiCloseDBase(from, false);
    ApiCloseDBase(into, false);
    return counts;
  }

  std::string target() const { return folder_.at("repaired.kvd"); }

  vellomar::test::TempFolder folder_{"repair"};
};

TEST_F(RepairTest, ASoundCatalogueIsRepairedWhole) {
  const TCopyCounts counts = repair(sound().Bytes);
  EXPECT_EQ(counts.Disks, kDisks);
  EXPECT_EQ(counts.Files, kFiles);
  EXPECT_EQ(counts.Folders, kFolders);
  EXPECT_EQ(counts.Descriptions, 4);
  EXPECT_EQ(counts.DisksLeftOut + counts.FoldersLeftOut + counts.FilesLeftOut +
                counts.DescriptionsLeftOut,
            0);
  EXPECT_TRUE(counts.DamagedDisks.empty());
  const testing::CatalogueView original =
      testing::viewCatalogue(folder_.file("sound.kvd", sound().Bytes));
  const testing::CatalogueView copy = testing::viewCatalogue(target());
  EXPECT_EQ(copy.Damage, 0);
  EXPECT_EQ(copy.Disks, original.Disks);
}

// Each damage repaired, then the copy walked disk by disk, folder by folder, file list by file
// list and description by description through the readers that open and browse it: nothing in
// it may fail their checks, and it holds exactly what the counts say. Where the checks see the
// damage, every line of the copy is a line of the sound catalogue: nothing damaged is copied.
// Damage they cannot see (the text of a description, a label) is copied as stored.
TEST_F(RepairTest, EveryDamageRepairsIntoACatalogueThatReadsBackWhole) {
  const SoundCatalogue& s = sound();
  struct Case {
    const char* what;
    Region region;
    Where where;
    Damage damage;
    Names damagedDisks;
    bool linesAsStored = true;
  };
  const Names none;
  const Names alpha{"Alpha"};
  const Names allGone{"???", "???", "???"};
  const Names alphaCut{"Alpha", "???", "???"};
  const Names betaCut{"Beta", "???"};
  const Case cases[] = {
      {"file list head flipped", s.DocsList, Where::kStart, Damage::kFlip, alpha},
      {"file list middle flipped", s.DocsList, Where::kMiddle, Damage::kFlip, alpha},
      {"file list end flipped", s.DocsList, Where::kEnd, Damage::kFlip, alpha},
      {"root record flipped", s.AlphaRootRecord, Where::kStart, Damage::kFlip, alpha},
      {"folder record start flipped", s.DocsRecord, Where::kStart, Damage::kFlip, alpha},
      {"folder record middle flipped", s.DocsRecord, Where::kMiddle, Damage::kFlip, alpha},
      {"folder record end flipped", s.DocsRecord, Where::kEnd, Damage::kFlip, alpha},
      {"description head flipped", s.DocsFileDescription, Where::kStart, Damage::kFlip, alpha,
       false},
      {"description text flipped", s.DocsFileDescription, Where::kMiddle, Damage::kFlip, none,
       false},
      {"description end flipped", s.DocsFileDescription, Where::kEnd, Damage::kFlip, none, false},
      {"disk head flipped", s.BetaHeader, Where::kStart, Damage::kFlip, {"Beta"}},
      {"disk label flipped", s.BetaHeader, Where::kMiddle, Damage::kFlip, none},
      {"disk details end flipped", s.BetaHeader, Where::kEnd, Damage::kFlip, none},
      // Alpha's block follows its lists: a cut among them takes every disk.
      {"cut at the file list", s.DocsList, Where::kStart, Damage::kCut, allGone},
      {"cut inside the file list", s.DocsList, Where::kMiddle, Damage::kCut, allGone},
      {"cut at the list's last entry", s.DocsList, Where::kEnd, Damage::kCut, allGone},
      {"cut at the folder record", s.DocsRecord, Where::kStart, Damage::kCut, alphaCut},
      {"cut inside the folder record", s.DocsRecord, Where::kMiddle, Damage::kCut, alphaCut},
      {"cut at the folder record's name", s.DocsRecord, Where::kEnd, Damage::kCut, alphaCut},
      {"cut at the description", s.DocsFileDescription, Where::kStart, Damage::kCut, allGone},
      {"cut inside the description", s.DocsFileDescription, Where::kMiddle, Damage::kCut, allGone},
      {"cut at the description's end", s.DocsFileDescription, Where::kEnd, Damage::kCut, allGone},
      {"cut at the disk head", s.BetaHeader, Where::kStart, Damage::kCut, {"???", "???"}},
      {"cut inside the disk details", s.BetaHeader, Where::kMiddle, Damage::kCut, betaCut},
      {"cut at the disk details' end", s.BetaHeader, Where::kEnd, Damage::kCut, betaCut},
  };
  const testing::CatalogueView soundView =
      testing::viewCatalogue(folder_.file("sound.kvd", s.Bytes));
  for (const Case& k : cases) {
    const TCopyCounts counts = repair(damaged(k.region, k.where, k.damage));
    const testing::CatalogueView view = testing::viewCatalogue(target());
    ASSERT_TRUE(view.Opened) << k.what;
    EXPECT_EQ(view.Damage, 0) << k.what;
    const Held held = heldBy(view);
    EXPECT_EQ(held.Disks, counts.Disks) << k.what;
    EXPECT_EQ(held.Folders, counts.Folders) << k.what;
    EXPECT_EQ(held.Files, counts.Files) << k.what;
    EXPECT_EQ(held.Descriptions, counts.Descriptions) << k.what;
    EXPECT_EQ(counts.Disks + counts.DisksLeftOut, kDisks) << k.what;
    EXPECT_EQ(namesOf(counts.DamagedDisks), k.damagedDisks) << k.what;
    for (const testing::DiskView& disk : view.Disks) {
      const testing::DiskView* original = testing::diskNamed(soundView, disk.Name);
      if (disk.Name == "???") {
        // Nothing of its block read: kept empty.
        EXPECT_EQ(disk.Lines.size(), 1u) << k.what;
        continue;
      }
      ASSERT_NE(original, nullptr) << k.what << ": " << disk.Name;
      if (!k.linesAsStored) continue;
      for (const std::string& line : disk.Lines) {
        EXPECT_NE(std::find(original->Lines.begin(), original->Lines.end(), line),
                  original->Lines.end())
            << k.what << ": " << line;
      }
    }
    if (k.damagedDisks.empty()) {
      EXPECT_EQ(counts.Files, kFiles) << k.what;
      EXPECT_EQ(counts.FoldersLeftOut + counts.FilesLeftOut + counts.DescriptionsLeftOut, 0)
          << k.what;
    }
  }
}

// What a damaged file list, folder record and description cost, counted exactly.
TEST_F(RepairTest, TheCountsSayWhatWasLeftOut) {
  const SoundCatalogue& s = sound();
  // The list's head: all eight files of "docs", d3's description with them.
  TCopyCounts counts = repair(damaged(s.DocsList, Where::kStart, Damage::kFlip));
  EXPECT_EQ(counts.Files, kFiles - 8);
  EXPECT_EQ(counts.FilesLeftOut, 8);
  EXPECT_EQ(counts.Descriptions, 3);
  // The last entry's extension is longer than its field: the seven before it stay.
  counts = repair(damaged(s.DocsList, Where::kEnd, Damage::kFlip));
  EXPECT_EQ(counts.Files, kFiles - 1);
  EXPECT_EQ(counts.FilesLeftOut, 1);
  // The record of "docs", Alpha's first subfolder: both subfolders of the root are not read,
  // nor "old" below "pics"; Alpha's details say what they held.
  counts = repair(damaged(s.DocsRecord, Where::kStart, Damage::kFlip));
  EXPECT_EQ(counts.FoldersLeftOut, 3);
  EXPECT_EQ(counts.Folders, kFolders - 3);
  EXPECT_EQ(counts.Files, kFiles - 8 - 3);
  EXPECT_EQ(counts.FilesLeftOut, 8 + 3);
  // The root's record: the disk stays with its details and an empty root; what it lost is what
  // its details say it held.
  counts = repair(damaged(s.AlphaRootRecord, Where::kStart, Damage::kFlip));
  EXPECT_EQ(counts.Disks, kDisks);
  EXPECT_EQ(counts.Folders, kFolders - 3);
  EXPECT_EQ(counts.FoldersLeftOut, 3);
  EXPECT_EQ(counts.Files, kFiles - 13);
  EXPECT_EQ(counts.FilesLeftOut, 13);
  EXPECT_EQ(namesOf(counts.DamagedDisks), (Names{"Alpha"}));
  // The description's head: the file stays, without its description.
  counts = repair(damaged(s.DocsFileDescription, Where::kStart, Damage::kFlip));
  EXPECT_EQ(counts.Files, kFiles);
  EXPECT_EQ(counts.DescriptionsLeftOut, 1);
  EXPECT_EQ(counts.Descriptions, 3);
  // A disk whose head is gone is kept empty, named by the name its block still holds.
  counts = repair(damaged(s.BetaHeader, Where::kStart, Damage::kFlip));
  EXPECT_EQ(counts.Disks, kDisks);
  EXPECT_EQ(counts.DisksLeftOut, 0);
  EXPECT_EQ(counts.EmptiedDisks, 1);
  EXPECT_EQ(namesOf(counts.DamagedDisks), (Names{"Beta"}));
  const testing::CatalogueView view = testing::viewCatalogue(target());
  ASSERT_EQ(view.Disks.size(), 3u);
  EXPECT_EQ(view.Disks[1].Name, "Beta");
  EXPECT_EQ(view.Disks[1].Lines.size(), 1u) << "its root alone";
}

// A disk block that runs past the end of the file, cut by it or claiming more than it holds,
// keeps its name and every record and list inside the file.
TEST_F(RepairTest, ADiskBlockPastTheEndOfTheFileKeepsWhatReads) {
  const SoundCatalogue& s = sound();
  const testing::CatalogueView soundView =
      testing::viewCatalogue(folder_.file("sound.kvd", s.Bytes));
  // Alpha's block cut inside the record of "old", its last: the root, "docs" and their files
  // stay, and what the folder records before the cut allow of "pics"; Beta and Gamma, whose
  // blocks lay behind the cut, are kept empty.
  TCopyCounts counts = repair(damaged(s.OldRecord, Where::kMiddle, Damage::kCut));
  testing::CatalogueView view = testing::viewCatalogue(target());
  const testing::DiskView* alpha = testing::diskNamed(view, "Alpha");
  ASSERT_NE(alpha, nullptr);
  const Names& whole = testing::diskNamed(soundView, "Alpha")->Lines;
  // The root, its two files, "docs" and its eight.
  const size_t kept = alpha->Lines.size();
  ASSERT_GE(kept, 12u);
  ASSERT_LT(kept, whole.size());
  EXPECT_EQ(alpha->Lines, Names(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(kept)));
  const auto filesKept = std::count_if(alpha->Lines.begin(), alpha->Lines.end(),
                                       [](const std::string& line) { return line[0] == 'F'; });
  EXPECT_EQ(counts.Disks, kDisks);
  EXPECT_EQ(counts.EmptiedDisks, 2);
  EXPECT_EQ(counts.FoldersLeftOut, 3 - (static_cast<int64_t>(kept) - filesKept - 1));
  EXPECT_EQ(counts.FilesLeftOut, 13 - filesKept);
  EXPECT_EQ(namesOf(counts.DamagedDisks), (Names{"Alpha", "???", "???"}));

  // Gamma's block, the last, claims 100 bytes more than the file holds: read whole.
  std::string overlong = s.Bytes;
  const auto length = static_cast<int32_t>(s.GammaBlock.Length + 100);
  for (size_t i = 0; i < 4; ++i) {
    overlong[s.GammaBlock.Start + i] = static_cast<char>(length >> (8 * i));
    overlong[s.GammaBlock.Start + 4 + i] = static_cast<char>(-length >> (8 * i));
  }
  counts = repair(overlong);
  view = testing::viewCatalogue(target());
  EXPECT_EQ(view.Disks, soundView.Disks);
  EXPECT_EQ(counts.Files, kFiles);
  EXPECT_EQ(namesOf(counts.DamagedDisks), (Names{"Gamma"}));
}

// A repair that finds more live disk blocks than the key table holds keeps the newest and
// names the ones it had no room for.
TEST_F(RepairTest, DisksBeyondTheKeyTablesRoomAreNamed) {
  const SoundCatalogue& s = sound();
  std::string bytes = s.Bytes;
  const std::string gamma = s.Bytes.substr(s.GammaBlock.Start, s.GammaBlock.Length);
  const int32_t copies = kKeyCapacity;
  bytes.reserve(bytes.size() + static_cast<size_t>(copies) * gamma.size());
  for (int32_t i = 0; i < copies; ++i) {
    std::string block = gamma;
    char name[8];
    std::snprintf(name, sizeof name, "G%05d", i);
    block[kDiskNameBlockOffset] = 6;
    block.replace(kDiskNameBlockOffset + 1, 6, name);
    bytes += block;
  }
  // Three disks more than the table holds: the oldest three of the live ones are left out.
  const TCopyCounts counts = repair(bytes);
  EXPECT_EQ(counts.Disks, kKeyCapacity);
  EXPECT_EQ(counts.DisksLeftOut, 3);
  EXPECT_EQ(namesOf(counts.DamagedDisks), (Names{"Alpha", "Beta", "Gamma"}));
}

// Compress and import read a damaged catalogue through the same checks: the file they write
// reads back whole.
TEST_F(RepairTest, CompressAndImportOfADamagedCatalogueWriteACleanFile) {
  const SoundCatalogue& s = sound();
  // The list of "docs" cut at its fourth entry, and the description of its third gone.
  std::string bytes = damaged(s.DocsList, Where::kMiddle, Damage::kFlip);
  const size_t desc = s.DocsFileDescription.Start;
  bytes[desc + 4] = static_cast<char>(~bytes[desc + 4]);
  const std::string source = folder_.file("damaged.kvd", bytes);
  for (const bool import : {false, true}) {
    const std::string into = folder_.at(import ? "import.kvd" : "compressed.kvd");
    ASSERT_TRUE(ApiCreateDBase(ShortString(into)));
    TDBase* from = nullptr;
    TDBase* to = nullptr;
    ShortString error;
    ASSERT_TRUE(ApiOpenDBase(ShortString(source), false, from, error));
    ASSERT_TRUE(ApiOpenDBase(ShortString(into), false, to, error));
    EXPECT_TRUE(ApiCompressDBase(from, to, true, import, !import));
    EXPECT_GT(ApiGetErrorCount(from), 0);
    ApiCloseDBase(from, false);
    ApiCloseDBase(to, false);
    const testing::CatalogueView view = testing::viewCatalogue(into);
    EXPECT_EQ(view.Damage, 0) << (import ? "import" : "compress");
    EXPECT_EQ(view.Disks.size(), 3u) << (import ? "import" : "compress");
  }
}

}  // namespace
}  // namespace vellomar

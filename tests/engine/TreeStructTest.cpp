#include "engine/UTreeStruct.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/UDBase.h"
#include "engine/UDBaseLayout.h"
#include "engine/UDamageCodes.h"
#include "engine/UFileListBlock.h"
#include "foundation/UExceptions.h"
#include "foundation/UStream.h"
#include "tests/support/CatalogueBuilder.h"

namespace vellomar {
namespace {

using testing::FileSpec;
using testing::lineNames;
using testing::patched;
using testing::subDirNamed;
using testing::TestCatalogue;

using Names = std::vector<std::string>;

// Hand-made folder records, for blocks the writer would never make.
void folderRecord(ByteWriter& w, uint16_t subDirs, std::string_view name,
                  BlockForm form = BlockForm::kCurrent, int32_t fileListOffset = 0) {
  TDirData data;
  data.Attr = kAttrFolder;
  data.FileListOffset = fileListOffset;
  if (form == BlockForm::kCurrent) {
    writeFolderRecord(w, subDirs, data, name);
    return;
  }
  w.u16(subDirs);
  w.u16(static_cast<uint16_t>(~subDirs));
  writeFileRecord(w, fileRecordOf(data));
  w.i32(data.FileListOffset);
  w.shortString(name);
}

std::vector<uint8_t> diskBlock(const TDiskInfo& info, const ByteWriter& folders,
                               BlockForm form = BlockForm::kCurrent) {
  ByteWriter w;
  if (form == BlockForm::kCurrent) {
    writeDiskBlockHead(w, static_cast<uint32_t>(folders.size()));
  } else {
    const auto length = static_cast<int32_t>(kBlockHeadSize + kOldDiskInfoSize + folders.size());
    writeBlockHead(w, {length, complementCheck(length), kDiskBlockKind});
  }
  writeDiskInfo(w, info, form);
  w.bytes(folders.bytes());
  return w.take();
}

// root "\" holding docs (a.txt, b.doc, arch.zip) with sub (c) and the archive arch.zip shown as
// a folder (x.txt, y) that holds inner (z).
struct SampleDisk {
  explicit SampleDisk(TestCatalogue& c) {
    TDirCollection& root = c.newDisk("Sample");
    TDirCollection& docs = TestCatalogue::addFolder(root, "docs");
    TDirCollection& sub = TestCatalogue::addFolder(docs, "sub");
    TDirCollection& arch =
        TestCatalogue::addFolder(docs, "arch.zip", kAttrFolder | kAttrArchiveFolder, 1000);
    TDirCollection& inner = TestCatalogue::addFolder(arch, "inner");
    c.setFiles(docs, {{"a.txt", 100}, {"b.doc", 200}, {"arch.zip", 1000}});
    c.setFiles(sub, {{"c", 5}});
    c.setFiles(arch, {{"x.txt", 10}, {"y", 20}});
    c.setFiles(inner, {{"z", 30}});
    offset = c.saveDisk();
  }
  int32_t offset;
};

TEST(TreeStruct, NestedTreeWithArchiveRoundTripsWithItsTotals) {
  TestCatalogue c;
  const SampleDisk disk(c);
  c.reopen();
  LoadTreeStruct(c.handle, c.trees, disk.offset, 0);
  ASSERT_TRUE(c.trees.Current);
  EXPECT_EQ(c.handle.DamageCounter, 0);
  const TTreeStruct& tree = *c.trees.Current;
  EXPECT_EQ(tree.DiskInfo.DiskName.view(), "Sample");

  const TDirCollection& root = *tree.Root;
  // The archive counts as a file of docs, which the totals replace by its contents; the
  // physical figures keep it as a file and leave its contents out.
  const TDirTotals expected{4, 6, 365, 2, 4, 1305};
  EXPECT_EQ(root.Totals, expected);
  TDirCollection* docs = subDirNamed(root, "docs");
  ASSERT_TRUE(docs);
  TDirCollection* arch = subDirNamed(*docs, "arch");
  ASSERT_TRUE(arch);
  TDirCollection* inner = subDirNamed(*arch, "inner");
  ASSERT_TRUE(inner);
  EXPECT_TRUE(arch->InsideArchive);
  EXPECT_TRUE(inner->InsideArchive);
  EXPECT_FALSE(docs->InsideArchive);
  EXPECT_EQ(arch->Dir.Data.Ext.view(), ".zip");
  EXPECT_EQ(arch->Totals, (TDirTotals{1, 3, 60, 0, 0, 0}));

  EXPECT_EQ(GetDirPath(root).view(), "\\");
  EXPECT_EQ(GetDirPath(*inner).view(), "\\docs\\arch.zip\\inner");
  ShortString archivePath("unchanged");
  GetArchiveDirPath(*docs, archivePath);
  EXPECT_EQ(archivePath.view(), "unchanged");
  GetArchiveDirPath(*inner, archivePath);
  EXPECT_EQ(archivePath.view(), "\\docs\\arch.zip\\");

  // Each entry offset points at the folder's data in the file.
  const std::vector<uint8_t> at = c.bytesAt(inner->Dir.EntryOffset, kDirDataSize + 6);
  ByteReader r(at);
  EXPECT_EQ(readDirData(r, BlockForm::kCurrent), inner->Dir.Data);
  EXPECT_EQ(r.shortString().view(), "inner");

  // Saved again, the tree gives the same folder records.
  const std::vector<uint8_t> first = c.bytesAt(
      disk.offset,
      static_cast<size_t>(c.handle.Stream.GetSize() - static_cast<uint32_t>(disk.offset)));
  const int32_t again = c.saveDisk();
  const std::vector<uint8_t> second = c.bytesAt(again, first.size());
  EXPECT_TRUE(std::equal(first.begin() + kDiskBlockFixedSize, first.end(),
                         second.begin() + kDiskBlockFixedSize));
}

TEST(TreeStruct, SizesPastTwoGibibytes) {
  TestCatalogue c;
  constexpr uint64_t kLarge = 0xF0000000;  // above INT32_MAX, below 4 GiB
  constexpr uint64_t kHuge = uint64_t{5} << 30;
  TDirCollection& root = c.newDisk("Big");
  TestCatalogue::addFolder(root, "a.zip", kAttrFolder | kAttrArchiveFolder, kLarge);
  c.setFiles(root, {{"large", kLarge}, {"huge", kHuge}, {"a.zip", kLarge}});
  LoadTreeStruct(c.handle, c.trees, c.saveDisk(), 0);
  const TTreeStruct& tree = *c.trees.Current;
  EXPECT_EQ(fileSizeOf(tree.FileCol->ItemAt(1)->Data.Size), int64_t{kLarge});
  EXPECT_EQ(fileSizeOf(tree.FileCol->ItemAt(2)->Data.Size), int64_t{UINT32_MAX});
  EXPECT_EQ(tree.Root->Totals.Size, int64_t{kLarge + kHuge});
  EXPECT_EQ(tree.Root->Totals.PhysSize, int64_t{kLarge + kHuge + kLarge});
}

TEST(TreeStruct, FileListLinesByMode) {
  TestCatalogue c;
  const SampleDisk disk(c);
  LoadTreeStruct(c.handle, c.trees, disk.offset, 0);
  TTreeStruct& tree = *c.trees.Current;
  EXPECT_EQ(lineNames(*tree.FileCol), (Names{"docs"})) << "the root has no \"..\" line";

  TDirCollection* docs = subDirNamed(*tree.Root, "docs");
  docs->Dir.Data.FileListOffset = 0;
  tree.CurDir = docs;
  LoadFileCol(tree, 0);
  EXPECT_EQ(lineNames(*tree.FileCol), (Names{"..", "arch.zip", "sub"}))
      << "a folder without a file list has only its folder lines";

  c.setFiles(*docs, {{"plain"}, {"described", 1, 0, 0, 70000}, {"edited", 1, 0, kAttrUserDesc}});
  const struct {
    int mode;
    Names names;
  } cases[] = {
      {0, {"..", "arch.zip", "sub", "plain", "described", "edited"}},
      {1, {"arch.zip", "sub", "described", "edited"}},
      {2, {"plain", "described", "edited"}},
  };
  for (const auto& k : cases) {
    c.handle.FilesChanged = false;
    LoadFileCol(tree, k.mode);
    EXPECT_EQ(lineNames(*tree.FileCol), k.names) << "mode " << k.mode;
    EXPECT_TRUE(c.handle.FilesChanged);
  }
  LoadFileCol(tree, 0);
  const TOneFile& up = *tree.FileCol->ItemAt(0);
  EXPECT_EQ(up.SubDir, tree.Root.get());
  EXPECT_EQ(up.Data.Attr, kAttrFolder);
  const TOneFile& archLine = *tree.FileCol->ItemAt(1);
  EXPECT_EQ(archLine.SubDir, subDirNamed(*docs, "arch"));
  EXPECT_EQ(archLine.Data.Size, 1000);
  EXPECT_EQ(c.handle.DamageCounter, 0);
}

TEST(TreeStruct, FoldersDifferingOnlyInCaseAreBothKept) {
  TestCatalogue c;
  TDirCollection& root = c.newDisk("Case");
  for (const char* name : {"readme", "README", "Readme", "b"}) TestCatalogue::addFolder(root, name);
  const int32_t offset = c.saveDisk();
  LoadTreeStruct(c.handle, c.trees, offset, 0);
  EXPECT_EQ(lineNames(*c.trees.Current->FileCol), (Names{"b", "README", "Readme", "readme"}));

  // An exact duplicate in a file is dropped, and nothing of it counted.
  ByteWriter folders;
  folderRecord(folders, 2, "\\");
  folderRecord(folders, 0, "same");
  folderRecord(folders, 0, "same");
  const int32_t twice = c.appendRaw(diskBlock(TDiskInfo{}, folders));
  LoadTreeStruct(c.handle, c.trees, twice, 0);
  EXPECT_EQ(c.trees.Current->Root->Count(), 1);
  EXPECT_EQ(c.trees.Current->Root->Totals.Folders, 1);
}

TEST(TreeStruct, OlderFormBlockLoadsWithSumsFromKilobytes) {
  TestCatalogue c;
  TDiskInfo info;
  info.DiskName = "Old";
  info.OldPhysSizeKB = 3;
  info.OldArchSizeKB = 0;
  info.OldDataSizeKB = 0x7FFFFFFF;
  c.newDisk("files");
  TDirCollection holder(nullptr, 1, false);
  c.setFiles(holder, {{"f.txt", 9}});
  ByteWriter folders;
  folderRecord(folders, 1, "\\", BlockForm::kOlder);
  folderRecord(folders, 0, "dos", BlockForm::kOlder, holder.Dir.Data.FileListOffset);
  const int32_t offset = c.appendRaw(diskBlock(info, folders, BlockForm::kOlder));

  LoadTreeStruct(c.handle, c.trees, offset, 0);
  EXPECT_EQ(c.handle.DamageCounter, 0);
  const TTreeStruct& tree = *c.trees.Current;
  EXPECT_EQ(tree.DiskInfo.DiskName.view(), "Old");
  EXPECT_EQ(tree.DiskInfo.PhysSize, 3 * 1024);
  EXPECT_EQ(tree.DiskInfo.DataSize, int64_t{0x7FFFFFFF} * 1024);
  TDirCollection* dos = subDirNamed(*tree.Root, "dos");
  ASSERT_TRUE(dos);
  EXPECT_EQ(dos->Dir.Data.FileListOffset, holder.Dir.Data.FileListOffset);
  EXPECT_EQ(dos->Dir.Data.FileCount, 0) << "the older form stops after the file-list offset";
  c.trees.Current->CurDir = dos;
  LoadFileCol(*c.trees.Current, 2);
  EXPECT_EQ(lineNames(*c.trees.Current->FileCol), (Names{"f.txt"}));
}

TEST(TreeStruct, DamagedFolderRecordsKeepWhatWasRead) {
  TestCatalogue c;
  // root with a, b, c; b's record has a wrong check.
  ByteWriter folders;
  folderRecord(folders, 3, "\\");
  folderRecord(folders, 0, "a");
  const size_t bAt = folders.size();
  folderRecord(folders, 0, "b");
  folderRecord(folders, 0, "c");
  std::vector<uint8_t> bytes = folders.take();
  bytes[bAt + 2] ^= 0x01;
  ByteWriter damaged;
  damaged.bytes(bytes);
  const int32_t offset = c.appendRaw(diskBlock(TDiskInfo{}, damaged));
  LoadTreeStruct(c.handle, c.trees, offset, 0);
  EXPECT_EQ(c.handle.DamageCounter, 1);
  EXPECT_EQ(lineNames(*c.trees.Current->FileCol), (Names{"a"})) << "siblings after it stop";
  EXPECT_EQ(c.trees.Current->UnreadFolders, 2) << "b and c";

  // Records that do not add up to their block: the tree is kept, the bytes behind it are damage.
  ByteWriter padded;
  folderRecord(padded, 1, "\\");
  folderRecord(padded, 0, "a");
  padded.u8(0);
  c.handle.DamageCounter = 0;
  LoadTreeStruct(c.handle, c.trees, c.appendRaw(diskBlock(TDiskInfo{}, padded)), 0);
  EXPECT_EQ(c.handle.DamageCounter, 1);
  EXPECT_EQ(lineNames(*c.trees.Current->FileCol), (Names{"a"}));
  EXPECT_EQ(c.trees.Current->UnreadFolders, 0);

  // A root that names more subfolders than its block holds keeps those that are there.
  ByteWriter short_;
  folderRecord(short_, UINT16_MAX, "\\");
  folderRecord(short_, 0, "a");
  folderRecord(short_, 0, "b");
  c.handle.DamageCounter = 0;
  LoadTreeStruct(c.handle, c.trees, c.appendRaw(diskBlock(TDiskInfo{}, short_)), 0);
  EXPECT_EQ(c.handle.DamageCounter, 1);
  EXPECT_EQ(lineNames(*c.trees.Current->FileCol), (Names{"a", "b"}));
  EXPECT_EQ(c.trees.Current->UnreadFolders, UINT16_MAX - 2);
}

// A chain of folders as deep as its block makes it is read, saved, copied and freed whole,
// without a stack frame per level.
TEST(TreeStruct, DeepChainsReadAndSaveWhole) {
  constexpr int kLevels = 100000;
  TestCatalogue c;
  ByteWriter deep;
  folderRecord(deep, 1, "\\");
  for (int level = 1; level < kLevels; ++level) folderRecord(deep, 1, "d");
  folderRecord(deep, 0, "d");
  LoadTreeStruct(c.handle, c.trees, c.appendRaw(diskBlock(TDiskInfo{}, deep)), 0);
  EXPECT_EQ(c.handle.DamageCounter, 0);
  const TDirCollection* n = c.trees.Current->Root.get();
  EXPECT_EQ(n->Totals.Folders, kLevels);
  int depth = 0;
  for (; n->Count() > 0; n = n->ItemAt(0)) ++depth;
  EXPECT_EQ(depth, kLevels);
  ASSERT_TRUE(SaveTreeStruct(c.handle, c.trees, false));
  LoadTreeStruct(c.handle, c.trees, c.handle.keyTable().keys().Keys[0].Offset, 0);
  EXPECT_EQ(c.handle.DamageCounter, 0);
  EXPECT_EQ(c.trees.Current->Root->Totals.Folders, kLevels);
}

// A folder's own figures feed only the totals: sizes count as stored, negative ones too (a
// 32-bit writer summed them so); a count no writer can store (below 0, beyond the entries the
// file has room for) is taken as 0 and is damage. Neither ever keeps a folder from being read.
TEST(TreeStruct, FolderFiguresNeverDecideWhatIsRead) {
  TestCatalogue c;
  const struct {
    const char* Name;
    int32_t Count;
    int64_t Size;
    int32_t TakenCount;
    int32_t Damage;
  } cases[] = {
      {"one sparse 32 TiB file", 1, int64_t{32} << 40, 1, 0},
      {"a negative sum of a 32-bit writer", 1, -1294967296, 1, 0},
      {"a count of 0 beside a list", 0, 10, 0, 0},
      {"a count beyond what the file can list", INT32_MAX / 4, 0, 0, 3},
      {"a negative count", -1, 5, 0, 3},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.Name);
    TDirData data;
    data.Attr = kAttrFolder;
    data.FileCount = k.Count;
    data.FilesSize = k.Size;
    ByteWriter folders;
    folderRecord(folders, 2, "\\");
    writeFolderRecord(folders, 1, data, "a");
    writeFolderRecord(folders, 0, data, "inner");
    writeFolderRecord(folders, 0, data, "b");
    c.handle.DamageCounter = 0;
    LoadTreeStruct(c.handle, c.trees, c.appendRaw(diskBlock(TDiskInfo{}, folders)), 0);
    const TDirTotals& totals = c.trees.Current->Root->Totals;
    EXPECT_EQ(c.handle.DamageCounter, k.Damage);
    EXPECT_EQ(totals.Folders, 3);
    EXPECT_EQ(totals.Files, 3 * k.TakenCount);
    EXPECT_EQ(totals.Size, 3 * k.Size);
    EXPECT_EQ(subDirNamed(*c.trees.Current->Root, "b")->Dir.Data.FileCount, k.TakenCount);
  }
}

TEST(TreeStruct, DamagedDiskBlockGivesAnEmptyTree) {
  TestCatalogue c;
  c.newDisk("Fine");
  const int32_t offset = c.saveDisk();
  c.patch(offset + 4, std::vector<uint8_t>{0, 0, 0, 0});
  const int32_t pastEnd = static_cast<int32_t>(c.handle.Stream.GetSize()) + 100;
  for (const int32_t at : {offset, pastEnd, int32_t{-1}}) {
    c.handle.DamageCounter = 0;
    LoadTreeStruct(c.handle, c.trees, at, 0);
    ASSERT_TRUE(c.trees.Current) << at;
    EXPECT_EQ(c.handle.DamageCounter, 1) << at;
    EXPECT_EQ(GetDirPath(*c.trees.Current->Root).view(), "\\");
    EXPECT_EQ(c.trees.Current->CurDir, c.trees.Current->Root.get());
    EXPECT_EQ(c.trees.Current->FileCol->Count(), 0);
  }
  EXPECT_THROW(LoadOldTreeStruct(c.handle, c.trees, offset), EKstvDBaseStructException);
}

TEST(TreeStruct, DamagedFileListGivesEmptyOrPartialList) {
  TestCatalogue c;
  c.newDisk("Lists");
  TDirCollection holder(nullptr, 1, false);
  c.setFiles(holder, {{"one"}, {"two"}, {"three"}});
  const int32_t list = holder.Dir.Data.FileListOffset;
  const std::vector<uint8_t> good = c.bytesAt(list, 13 + 3 * 20 + 11);
  std::vector<uint8_t> padded = good;
  padded.push_back(0);

  const struct {
    const char* what;
    std::vector<uint8_t> block;
    Names names;
    int32_t damage;
  } cases[] = {
      {"sound", good, {"one", "two", "three"}, 0},
      {"wrong kind", patched(good, 8, {1}), {}, 1},
      {"wrong check", patched(good, 4, {0, 0, 0, 0}), {}, 1},
      {"count beyond L", patched(good, 9, {200, 0, 0, 0}), {}, 1},
      {"negative count", patched(good, 9, {0xFF, 0xFF, 0xFF, 0xFF}), {}, 1},
      {"a count of 0 with entries behind it", patched(good, 9, {0, 0, 0, 0}), {}, 1},
      {"a count that leaves an entry over", patched(good, 9, {2, 0, 0, 0}), {"one", "two"}, 1},
      {"second name runs past L", patched(good, 13 + 20 + 3 + 19, {200}), {"one"}, 1},
      {"second extension longer than its field", patched(good, 13 + 20 + 3 + 14, {5}), {"one"}, 1},
      {"first name leaves too little for the entries after it",
       patched(good, 13 + 19, {40}),
       {},
       1},
      {"a byte behind the last entry",
       patched(padded, 0, {85, 0, 0, 0, 0xAA, 0xFF, 0xFF, 0xFF}),
       {"one", "two", "three"},
       1},
  };
  for (const auto& k : cases) {
    const int32_t at = c.appendRaw(k.block);
    c.handle.DamageCounter = 0;
    const auto lines = ReadFileList(c.handle.Stream, c.handle.DamageCounter, true, at);
    EXPECT_EQ(lineNames(*lines), k.names) << k.what;
    EXPECT_EQ(c.handle.DamageCounter, k.damage) << k.what;
  }
  // L past the end of the file, an offset past it, and a sound block where no block lies:
  // before the data area.
  const int32_t cut = c.appendRaw(std::span(good).first(good.size() - 1));
  const auto beforeData = static_cast<int32_t>(kDataAreaOffset - good.size());
  c.patch(beforeData, good);
  for (const int32_t at : {cut, cut + 1000, beforeData}) {
    c.handle.DamageCounter = 0;
    EXPECT_EQ(ReadFileList(c.handle.Stream, c.handle.DamageCounter, true, at)->Count(), 0);
    EXPECT_EQ(c.handle.DamageCounter, 1);
  }
}

TEST(TreeStruct, EmptyFileListIsThirteenBytes) {
  TestCatalogue c;
  TFileCollection none(1, 1);
  int64_t size = 7;
  c.handle.Stream.SeekToEnd();
  const auto at = static_cast<int32_t>(c.handle.Stream.GetPosition());
  WriteFileList(none, c.handle.Stream, size, true);
  EXPECT_EQ(size, 7 + 13);
  EXPECT_EQ(c.handle.Stream.GetSize(), static_cast<uint32_t>(at) + 13);
  const std::vector<uint8_t> b = c.bytesAt(at, 13);
  ByteReader r(b);
  EXPECT_EQ(readFileListHead(r, 13), 0u);
}

TEST(TreeStruct, RewritingDetailsChangesOnlyTheirFirstBytes) {
  TestCatalogue c;
  c.newDisk("Before");
  c.trees.Current->DiskInfo.VolumeLabel = "LABEL";
  const int32_t offset = c.saveDisk();
  const size_t blockSize = c.handle.Stream.GetSize() - static_cast<uint32_t>(offset);
  const std::vector<uint8_t> before = c.bytesAt(offset, blockSize);
  ASSERT_EQ(c.handle.keyTable().ReadDiskName(offset).view(), "Before");

  LoadTreeStruct(c.handle, c.trees, offset, 1);
  c.trees.Current->DiskInfo.DiskName = "After";
  c.trees.Current->DiskInfo.Flags = kDiskDeleted;
  c.trees.Current->DiskInfo.VolumeLabel = "NOT WRITTEN";
  c.trees.Current->DiskInfo.PhysSize = 99;
  ASSERT_TRUE(RewriteDiskInfo(c.handle, c.trees, offset));

  const std::vector<uint8_t> after = c.bytesAt(offset, blockSize);
  const size_t end = kBlockHeadSize + kOldDiskInfoSize;
  EXPECT_TRUE(std::equal(before.begin() + end, before.end(), after.begin() + end));
  EXPECT_EQ(c.handle.keyTable().ReadDiskName(offset).view(), "After");
  LoadTreeStruct(c.handle, c.trees, offset, 1);
  EXPECT_EQ(c.trees.Current->DiskInfo.Flags, kDiskDeleted);
  EXPECT_EQ(c.trees.Current->DiskInfo.VolumeLabel.view(), "LABEL");

  // A place that holds no disk block is never written over.
  const int32_t list = static_cast<int32_t>(c.handle.Stream.GetSize());
  c.handle.Stream.SeekToEnd();
  int64_t size = 0;
  WriteFileList(TFileCollection(1, 1), c.handle.Stream, size, true);
  EXPECT_THROW(RewriteDiskInfo(c.handle, c.trees, list), EKstvDBaseStructException);
  EXPECT_EQ(c.handle.Stream.GetSize(), static_cast<uint32_t>(list) + 13);
}

TEST(TreeStruct, UniqueNamesTakeANumberedSuffix) {
  TestCatalogue c;
  const std::string longName(255, 'n');
  const struct {
    std::string name;
    bool unique;
    std::string saved;
  } cases[] = {
      {"Disk", true, "Disk"},          {"Disk", true, "Disk ~1"},
      {"disk", true, "disk ~2"},       {"Disk", false, "Disk"},
      {longName, true, longName},      {longName, true, longName.substr(0, 252) + " ~1"},
      {"Disk ~1", true, "Disk ~1 ~1"},
  };
  for (const auto& k : cases) {
    c.newDisk(k.name);
    const int32_t offset = c.saveDisk(k.unique);
    EXPECT_EQ(c.handle.keyTable().ReadDiskName(offset).view(), k.saved) << k.name;
    EXPECT_EQ(c.trees.Current->DiskInfo.DiskName.view(), k.saved);
  }
  // The key table was written with the disk: it survives a close without it.
  c.reopen();
  EXPECT_EQ(c.handle.keyTable().keys().LiveCount, 7);
  EXPECT_FALSE(c.handle.keyTable().keysModified());
}

TEST(TreeStruct, SavedDiskIsNamedByItsBlockNotByAnEarlierLookUpThere) {
  TestCatalogue c;
  c.newDisk("A");
  c.saveDisk();
  // A key of a file cut short pointed at its end, where no block could be read.
  KeyTable& keys = c.handle.keyTable();
  const auto end = static_cast<int32_t>(c.handle.Stream.GetSize());
  ASSERT_EQ(keys.ReadDiskName(end).view(), kUnreadableDiskName);
  c.newDisk("Z");
  ASSERT_EQ(c.saveDisk(), end);
  std::vector<std::string> names;
  for (const TKeyEntry& key : keys.keys().Keys)
    names.push_back(keys.ReadDiskName(key.Offset).str());
  EXPECT_EQ(names, (std::vector<std::string>{"A", "Z"}));
}

TEST(TreeStruct, ReadOnlyHandleSavesAndRewritesNothing) {
  TestCatalogue c;
  c.newDisk("Kept");
  const int32_t offset = c.saveDisk();
  c.reopen(true);
  ASSERT_TRUE(c.handle.ReadOnly);
  const uint32_t size = c.handle.Stream.GetSize();
  c.newDisk("New");
  EXPECT_FALSE(SaveTreeStruct(c.handle, c.trees, false));
  LoadTreeStruct(c.handle, c.trees, offset, 1);
  EXPECT_FALSE(RewriteDiskInfo(c.handle, c.trees, offset));
  EXPECT_EQ(c.handle.Stream.GetSize(), size);
}

TEST(TreeStruct, WriterRefusesWhatTheFormatCannotHold) {
  TestCatalogue c;
  TDirCollection& root = c.newDisk("Wide");
  root.SetCapacity(65536);
  char name[8];
  for (int i = 0; i < 65536; ++i) {
    std::snprintf(name, sizeof name, "%06d", i);
    TestCatalogue::addFolder(root, name);
  }
  const uint32_t size = c.handle.Stream.GetSize();
  EXPECT_THROW(SaveTreeStruct(c.handle, c.trees, false), EKstvNormalException);
  EXPECT_EQ(c.handle.Stream.GetSize(), size);
  EXPECT_EQ(c.handle.keyTable().keys().count(), 0);
}

TEST(TreeStruct, PathsAndNames) {
  TDirCollection root(nullptr, 1, false);
  root.Dir.Name = "\\";
  TDirCollection* a = new TDirCollection(&root, 1, false);
  a->Dir.Name = "a";
  root.Add(a);
  TDirCollection* b = new TDirCollection(a, 1, false);
  b->Dir.Name = "b";
  b->Dir.Data.Ext = ".ext";
  a->Add(b);
  EXPECT_EQ(GetDirPath(*a).view(), "\\a");
  EXPECT_EQ(GetDirPath(*b).view(), "\\a\\b.ext");
  ShortString path;
  BuildDirPath(*b, path, 255, true);
  EXPECT_EQ(path.view(), "\\a\\b.ext\\");
  // A long path is cut to the names at its end that fit, behind "…\".
  a->Dir.Name = ShortString(std::string(252, 'x'));
  b->Dir.Name = "\xC3\xA9";
  BuildDirPath(*b, path, 255, true);
  EXPECT_EQ(path.view(), "\xE2\x80\xA6\\\xC3\xA9.ext\\");
  EXPECT_EQ(GetDirPath(*b).view(), "\xE2\x80\xA6\\\xC3\xA9.ext");
  EXPECT_EQ(FullDirPath(*b), "\\" + std::string(252, 'x') + "\\\xC3\xA9.ext");

  const struct {
    const char* name;
    const char* base;
    const char* ext;
  } splits[] = {
      {"a.txt", "a", ".txt"},   {"archive.tar.gz", "archive.tar", ".gz"},
      {"x.html", "x.html", ""}, {".bashrc", ".bashrc", ""},
      {"file.", "file", "."},   {"noext", "noext", ""},
      {".ab", "", ".ab"},       {"", "", ""},
  };
  for (const auto& k : splits) {
    ShortString name(k.name);
    ExtensionString ext("old");
    SplitName(name, ext);
    EXPECT_EQ(name.view(), k.base) << k.name;
    EXPECT_EQ(ext.view(), k.ext) << k.name;
  }
}

TEST(TreeStruct, DiskDetailsWithoutTree) {
  TestCatalogue c;
  c.newDisk("Floppy disk");
  c.trees.Current->DiskInfo.VolumeLabel = "VOLUME";
  c.trees.Current->DiskInfo.Drive = 'a';
  const int32_t offset = c.saveDisk();
  ShortString name;
  ShortString label;
  ShortString path;
  ReadDiskDetails(c.handle, offset, name, 6, label, 255, path, 255);
  EXPECT_EQ(name.view(), "Floppy");
  EXPECT_EQ(label.view(), "VOLUME");
  EXPECT_EQ(path.view(), "A:") << "an empty scanned path shows the drive";

  TDirCollection holder(nullptr, 1, false);
  c.setFiles(holder, {});
  EXPECT_THROW(
      ReadDiskDetails(c.handle, holder.Dir.Data.FileListOffset, name, 255, label, 255, path, 255),
      EKstvDBaseStructException);
}

}  // namespace
}  // namespace vellomar

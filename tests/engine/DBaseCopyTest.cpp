#include "engine/UDBaseCopy.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "engine/UDBase.h"
#include "engine/UDBaseLayout.h"
#include "engine/UDescriptions.h"
#include "engine/UDiskWalk.h"
#include "engine/UFileListBlock.h"
#include "engine/UTreeStruct.h"
#include "engine/api/UApiGlobals.h"
#include "engine/api/UCallbacks.h"
#include "tests/support/CatalogueBuilder.h"
#include "tests/support/SearchCatalogue.h"

namespace vellomar {
namespace {

using testing::addDescription;
using testing::liveDiskNames;
using testing::TestCatalogue;
using Texts = std::vector<std::string>;

int abortAfterCalls;
int abortCalls;

bool abortOnCall() {
  return ++abortCalls == abortAfterCalls;
}

void progressAbortOnCall(bool& abort) {
  if (abortOnCall()) abort = true;
}

// The full text of each line's description in the current folder of the loaded disk, "-" for
// none.
Texts descriptionsOf(TestCatalogue& c) {
  Texts texts;
  for (const TOneFile* line : c.trees.Current->FileCol->Items()) {
    std::string text;
    texts.push_back(ReadFullDesc(c.handle, line->Data.DescOffset, text) ? text : "-");
  }
  return texts;
}

void loadDisk(TestCatalogue& c, int32_t index) {
  LoadTreeStruct(c.handle, c.trees, c.handle.keyTable().keys().Keys[index].Offset, 0);
}

// A full walk of every live disk; the damage it met.
int32_t walkDamage(TestCatalogue& c) {
  IterateDisks(c.handle, c.trees, kWalkNotSelectedDisks, kWalkMeasure);
  return c.handle.DamageCounter;
}

class DBaseCopy : public ::testing::Test {
 protected:
  void TearDown() override { ResetCallbacks(); }

  // Disk "A": root described, files one.txt (its description edited twice) and two.txt, an
  // archive folder z.zip; disk "B" deleted; disk "C": a folder "sub" with a described file.
  void threeDisks() {
    const int32_t rootDesc = addDescription(source, "the root");
    addDescription(source, "first text of one");
    const int32_t oneDesc = addDescription(source, "second text of one");
    TDirCollection& a = source.newDisk("A");
    a.Dir.Data.DescOffset = rootDesc;
    TestCatalogue::addFolder(a, "z.zip", kAttrFolder | kAttrArchiveFolder, 300);
    source.setFiles(a, {{"one.txt", 10, 0, 0, oneDesc}, {"two.txt", 20}});
    a.Dir.Data.FileCount = 7;  // disagrees with the list
    source.saveDisk();
    source.newDisk("B");
    source.saveDisk();
    TDirCollection& c = source.newDisk("C");
    TDirCollection& sub = TestCatalogue::addFolder(c, "sub");
    const int32_t deep = addDescription(source, "deep text");
    source.setFiles(sub, {{"deep.txt", 1, 0, 0, deep}});
    source.saveDisk();
    source.handle.keyTable().MoveKeyToDeleted(1);
    source.trees.Current.reset();
  }

  bool copy(bool allDisks, bool uniqueNames, bool copyOptions) {
    return CompressDBase(source.handle, source.trees, target.handle, target.trees, allDisks,
                         uniqueNames, copyOptions);
  }

  TestCatalogue source;
  TestCatalogue target;
};

TEST_F(DBaseCopy, CompressKeepsLiveDisksAndTheirLastDescriptionsInLessSpace) {
  threeDisks();
  source.handle.LocalOptions.ShowDeleted = true;
  ASSERT_TRUE(copy(true, false, true));
  EXPECT_EQ(liveDiskNames(target.handle), (Texts{"A", "C"}));
  EXPECT_EQ(source.handle.Search.Counters.Disks, 2);
  EXPECT_TRUE(target.handle.LocalOptions.ShowDeleted);
  EXPECT_FALSE(source.trees.Current);
  EXPECT_FALSE(target.trees.Current);
  target.reopen();
  EXPECT_LT(target.handle.Stream.GetSize(), source.handle.Stream.GetSize());

  loadDisk(target, 0);
  TTreeStruct& a = *target.trees.Current;
  std::string rootText;
  EXPECT_TRUE(ReadFullDesc(target.handle, a.Root->Dir.Data.DescOffset, rootText));
  EXPECT_EQ(rootText, "the root");
  EXPECT_EQ(testing::lineNames(*a.FileCol), (Texts{"z.zip", "one.txt", "two.txt"}));
  EXPECT_EQ(descriptionsOf(target), (Texts{"-", "second text of one", "-"}));
  // The count follows the list, with the archive folder as one file of its size.
  EXPECT_EQ(a.Root->Dir.Data.FileCount, 3);
  EXPECT_EQ(a.Root->Dir.Data.FilesSize, 10 + 20 + 300);

  loadDisk(target, 1);
  TTreeStruct& c = *target.trees.Current;
  c.CurDir = testing::subDirNamed(*c.Root, "sub");
  ASSERT_NE(c.CurDir, nullptr);
  LoadFileCol(c, 2);
  EXPECT_EQ(descriptionsOf(target), (Texts{"deep text"}));
  EXPECT_EQ(walkDamage(target), 0);
}

// A scan writes no list for a folder without files; the copy gives every folder its own, so a
// compress with nothing to drop grows the file by one empty list per such folder.
TEST_F(DBaseCopy, CompressGivesEveryFolderWithoutAListAnEmptyOne) {
  TDirCollection& root = source.newDisk("A");
  source.setFiles(root, {{"one.txt", 1}});
  TestCatalogue::addFolder(root, "empty");
  TestCatalogue::addFolder(TestCatalogue::addFolder(root, "also empty"), "and below");
  source.saveDisk();
  source.trees.Current.reset();
  ASSERT_TRUE(copy(true, false, true));
  EXPECT_EQ(target.handle.Stream.GetSize(),
            source.handle.Stream.GetSize() + 3 * kFileListFixedSize);
  loadDisk(target, 0);
  const TDirCollection& copied = *target.trees.Current->Root;
  for (const TDirCollection* folder :
       {testing::subDirNamed(copied, "empty"), testing::subDirNamed(copied, "also empty")}) {
    ASSERT_NE(folder, nullptr);
    EXPECT_NE(folder->Dir.Data.FileListOffset, 0);
  }
}

TEST_F(DBaseCopy, ExportTakesTheSelectedDisksElseTheCurrentOne) {
  threeDisks();
  KeyTable& keys = source.handle.keyTable();
  keys.keys().CurrentIndex = 1;  // C
  ASSERT_TRUE(copy(false, false, false));
  EXPECT_EQ(liveDiskNames(target.handle), (Texts{"C"}));

  TestCatalogue second;
  keys.keys().Keys[0].Flags |= kKeySelected;  // A
  ASSERT_TRUE(
      CompressDBase(source.handle, source.trees, second.handle, second.trees, false, false, false));
  EXPECT_EQ(liveDiskNames(second.handle), (Texts{"A"}));
  // Closed as a read-only export, the copy opens read-only from then on.
  second.reopen(true);
  EXPECT_TRUE(second.handle.ReadOnly);
  EXPECT_EQ(CheckDBaseHeader(second.path()), HeaderStatus::kReadOnlyExport);
  EXPECT_EQ(liveDiskNames(second.handle), (Texts{"A"}));
}

TEST_F(DBaseCopy, ImportWithUniqueNamesSuffixesAClash) {
  target.newDisk("C");
  target.saveDisk();
  threeDisks();
  ASSERT_TRUE(copy(true, true, false));
  EXPECT_EQ(liveDiskNames(target.handle), (Texts{"A", "C", "C ~1"}));
  // A read-only target refuses the first disk.
  target.reopen(true);
  EXPECT_FALSE(copy(true, true, false));
}

TEST_F(DBaseCopy, RecountKeepsTheExactTotalOfFilesPastFourGibibytes) {
  constexpr uint64_t kBig = 5ull << 30;
  TDirCollection& root = source.newDisk("A");
  source.setFiles(root, {{"big.iso", kBig}, {"small.txt", 10}});
  TDirCollection& sub = TestCatalogue::addFolder(root, "sub");
  source.setFiles(sub, {{"a.txt", 1}});
  sub.Dir.Data.FilesSize = 99;  // disagrees with the list, which has no saturated size
  source.saveDisk();
  source.trees.Current.reset();
  ASSERT_TRUE(copy(true, false, false));
  loadDisk(target, 0);
  TTreeStruct& a = *target.trees.Current;
  EXPECT_EQ(a.Root->Dir.Data.FilesSize, static_cast<int64_t>(kBig + 10));
  EXPECT_EQ(testing::subDirNamed(*a.Root, "sub")->Dir.Data.FilesSize, 1);
}

TEST_F(DBaseCopy, CancelInsideATreeSavesNothingOfThatDisk) {
  struct Case {
    bool global;
  };
  for (const Case k : {Case{true}, Case{false}}) {
    TestCatalogue from;
    TestCatalogue into;
    from.setFiles(from.newDisk("Small"), {{"s.txt"}});
    from.saveDisk();
    TDirCollection& big = from.newDisk("Big");
    TestCatalogue::addFolder(big, "later");
    const int32_t desc = addDescription(from, "described");
    from.setFiles(big, std::vector<testing::FileSpec>(1200, {"f.txt", 1, 0, 0, desc}));
    from.saveDisk();
    from.trees.Current.reset();
    // Big sorts first: the first poll comes at its 1000th file.
    abortCalls = 0;
    abortAfterCalls = 1;
    if (k.global) {
      SetCallbacks(nullptr, nullptr, nullptr, nullptr, nullptr, abortOnCall);
    } else {
      from.handle.Search.Progress = progressAbortOnCall;
    }
    EXPECT_FALSE(
        CompressDBase(from.handle, from.trees, into.handle, into.trees, true, false, false));
    ResetCallbacks();
    EXPECT_EQ(liveDiskNames(into.handle), Texts{}) << "global " << k.global;
    EXPECT_FALSE(into.trees.Current);
    into.reopen();
    EXPECT_EQ(walkDamage(into), 0);
  }
}

TEST_F(DBaseCopy, CancelBetweenDisksKeepsTheDisksSaved) {
  threeDisks();
  abortCalls = 0;
  abortAfterCalls = 1;
  source.handle.Search.Progress = progressAbortOnCall;
  EXPECT_FALSE(copy(true, false, false));
  EXPECT_EQ(liveDiskNames(target.handle), (Texts{"A"}));
}

TEST_F(DBaseCopy, DamagedDescriptionsAreDroppedAndCounted) {
  const std::vector<uint8_t> longerThanFile = {0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0xFF,
                                               12,   0,    0, 0, 0, 0, 0};
  struct Case {
    const char* fault;
    int32_t offset;  // 0: the block appended below
    std::vector<uint8_t> block;
  };
  const Case cases[] = {
      {"length past the end", 0, longerThanFile},
      {"wrong kind", 0,
       testing::patched(longerThanFile, 0, {20, 0, 0, 0, 0xEB, 0xFF, 0xFF, 0xFF, 2})},
      {"negative offset", -5, {}},
      {"past the end", 0x7FFFFF00, {}},
  };
  for (const Case& k : cases) {
    TestCatalogue from;
    TestCatalogue into;
    const int32_t offset = k.block.empty() ? k.offset : from.appendRaw(k.block);
    from.setFiles(from.newDisk("D"), {{"x.txt", 1, 0, 0, offset}});
    from.saveDisk();
    const uint32_t before = into.handle.Stream.GetSize();
    EXPECT_EQ(CopyDescription(from.handle, into.handle, offset), 0) << k.fault;
    EXPECT_EQ(from.handle.DamageCounter, 1) << k.fault;
    EXPECT_EQ(into.handle.Stream.GetSize(), before) << k.fault;
  }
}

// A file list is copied as its bytes only once they are checked: a damaged entry ends the
// copied list, a damaged head leaves it empty, and the copy is a sound block either way.
TEST_F(DBaseCopy, DamagedFileListGivesASoundListOfTheEntriesBeforeTheDamage) {
  struct Case {
    const char* fault;
    int32_t at;  // behind the list's start
    Texts names;
    Texts descriptions;
  };
  const Case cases[] = {
      {"second name runs past the block", 13 + 21 + 19, {"a.txt"}, {"text of a"}},
      {"wrong check in the head", 4, {}, {}},
  };
  for (const Case& k : cases) {
    TestCatalogue from;
    TestCatalogue into;
    const int32_t desc = addDescription(from, "text of a");
    TDirCollection& sub = TestCatalogue::addFolder(from.newDisk("D"), "sub");
    from.setFiles(sub, {{"a.txt", 1, 0, 0, desc}, {"b.txt", 2}, {"c.txt", 3}});
    const int32_t list = sub.Dir.Data.FileListOffset;
    from.saveDisk();
    from.patch(list + k.at, std::vector<uint8_t>{200});
    ASSERT_TRUE(CompressDBase(from.handle, from.trees, into.handle, into.trees, true, false, false))
        << k.fault;
    EXPECT_EQ(from.handle.DamageCounter, 1) << k.fault;
    into.reopen();
    loadDisk(into, 0);
    TTreeStruct& tree = *into.trees.Current;
    tree.CurDir = testing::subDirNamed(*tree.Root, "sub");
    ASSERT_NE(tree.CurDir, nullptr) << k.fault;
    LoadFileCol(tree, 2);
    EXPECT_EQ(testing::lineNames(*tree.FileCol), k.names) << k.fault;
    EXPECT_EQ(descriptionsOf(into), k.descriptions) << k.fault;
    EXPECT_EQ(tree.CurDir->Dir.Data.FileCount, static_cast<int32_t>(k.names.size())) << k.fault;
    EXPECT_EQ(walkDamage(into), 0) << k.fault;
  }
}

TEST_F(DBaseCopy, ACopyIntoItselfIsRefusedBeforeAnyWrite) {
  threeDisks();
  const uint32_t size = source.handle.Stream.GetSize();
  EXPECT_THROW(
      CompressDBase(source.handle, source.trees, source.handle, source.trees, true, false, false),
      EKstvNormalException);
  EXPECT_EQ(source.handle.Stream.GetSize(), size);
  EXPECT_EQ(liveDiskNames(source.handle), (Texts{"A", "C"}));
}

TEST_F(DBaseCopy, RepairOfASmashedKeyTableGetsEveryLiveDiskBack) {
  threeDisks();
  // A deleted disk as the API leaves it: flagged in its block and named with its number.
  source.newDisk("old [1]");
  source.trees.Current->DiskInfo.Flags = kDiskDeleted;
  source.saveDisk();
  source.handle.keyTable().MoveKeyToDeleted(2);
  const std::string path = source.path();
  CloseDBaseFile(source.handle, false);
  {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(kKeyFieldOffset));
    const std::string smash(600, '\xA5');
    file.write(smash.data(), static_cast<std::streamsize>(smash.size()));
  }
  const std::string smashed = vellomar::test::contentOf(path);
  OpenDBaseFile(source.handle, path, true);
  ASSERT_TRUE(copy(true, false, true));
  // B was dropped from the key table only; its block still names a live disk.
  EXPECT_EQ(liveDiskNames(target.handle), (Texts{"A", "B", "C"}));
  EXPECT_EQ(source.handle.Search.Counters.Disks, 3);
  CloseDBaseFile(source.handle, false);
  EXPECT_EQ(vellomar::test::contentOf(path), smashed) << "the damaged source is only read";
  target.reopen();
  EXPECT_EQ(walkDamage(target), 0);
}

}  // namespace
}  // namespace vellomar

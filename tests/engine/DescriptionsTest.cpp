#include "engine/UDescriptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/UDBase.h"
#include "engine/UDescBlock.h"
#include "engine/UTreeStruct.h"
#include "foundation/UExceptions.h"
#include "foundation/UStream.h"
#include "tests/support/CatalogueBuilder.h"

namespace vellomar {
namespace {

using testing::patched;
using testing::subDirNamed;
using testing::TestCatalogue;

int32_t appendDesc(TestCatalogue& c, std::string_view text) {
  ByteWriter w;
  writeDescBlock(w, text);
  return c.appendRaw(w.bytes());
}

std::string shortDesc(TestCatalogue& c, TDescCache& cache, int32_t offset, int32_t start = 0,
                      int maximum = 255) {
  ShortString text("stale");
  EXPECT_TRUE(ReadShortDesc(c.handle, cache, offset, start, maximum, text)) << offset;
  return text.str();
}

std::string fullDesc(TestCatalogue& c, int32_t offset) {
  std::string text = "stale";
  EXPECT_TRUE(ReadFullDesc(c.handle, offset, text)) << offset;
  return text;
}

// One file "f" and one folder "dir" on a saved disk, loaded as the current tree with the root's
// lines.
struct DescribedDisk {
  explicit DescribedDisk(TestCatalogue& c) {
    TDirCollection& root = c.newDisk("D");
    TestCatalogue::addFolder(root, "dir");
    c.setFiles(root, {{"f.txt", 1}});
    LoadTreeStruct(c.handle, c.trees, c.saveDisk(), 0);
    dir = subDirNamed(*c.trees.Current->Root, "dir");
    file = *c.trees.Current->FileCol->ItemAt(1);
  }
  TFileRecord storedRecord(TestCatalogue& c, int32_t entry) const {
    const std::vector<uint8_t> b = c.bytesAt(entry, kFileRecordSize);
    ByteReader r(b);
    return readFileRecord(r);
  }
  TDirCollection* dir;
  TOneFile file;
};

TEST(Descriptions, CleaningRule) {
  const struct {
    std::string text;
    std::string cleaned;
  } cases[] = {
      {"a\r\nb", "a/ b"},
      {"three   blanks", "three blanks"},
      {"\n\n\t\n\t", ""},
      {" \tlead and trail \r", "lead and trail /"},
      {"  two  leading", "two leading"},
      {"a\x01\x1F"
       "b\x7F",
       "a b\x7F"},
      {"line one\r\n\r\nline two", "line one/ / line two"},
      {"caf\xC3\xA9  cr\xC3\xA8me", "caf\xC3\xA9 cr\xC3\xA8me"},
  };
  for (const auto& k : cases) {
    EXPECT_EQ(CleanDescription(k.text, 255).view(), k.cleaned) << k.text;
  }
  EXPECT_EQ(CleanDescription("ab\xC3\xA9", 3).view(), "ab") << "never cut inside a character";
}

// Full, the cache gives up its oldest entry for each new one and still finds the others.
TEST(Descriptions, TheCacheReplacesItsOldestEntry) {
  TDescCache cache;
  const auto offsetOf = [](size_t i) { return static_cast<int32_t>(1000 + 16 * i); };
  for (size_t i = 0; i < TDescCache::kCapacity; ++i) cache.add(offsetOf(i), std::to_string(i));
  cache.add(7, "new");
  EXPECT_EQ(cache.find(offsetOf(0)), nullptr);
  ASSERT_NE(cache.find(7), nullptr);
  EXPECT_EQ(cache.find(7)->str(), "new");
  for (size_t i = 1; i < TDescCache::kCapacity; ++i) {
    ASSERT_NE(cache.find(offsetOf(i)), nullptr) << i;
    EXPECT_EQ(cache.find(offsetOf(i))->str(), std::to_string(i));
  }
  cache.add(offsetOf(0), "again");
  EXPECT_EQ(cache.find(offsetOf(1)), nullptr) << "the next oldest went";
  EXPECT_EQ(cache.find(offsetOf(0))->str(), "again");
  EXPECT_EQ(cache.find(7)->str(), "new");
  cache.clear();
  EXPECT_EQ(cache.find(7), nullptr);
}

TEST(Descriptions, ShortAndFullReadsTakeTheirLimits) {
  TestCatalogue c;
  TDescCache cache;
  const std::string text250 = std::string(100, 'a') + "\r\n" + std::string(148, 'b');
  const int32_t d250 = appendDesc(c, text250);
  const std::string shortText = shortDesc(c, cache, d250);
  EXPECT_EQ(shortText, std::string(100, 'a') + "/ " + std::string(98, 'b'));
  EXPECT_EQ(fullDesc(c, d250), text250);
  EXPECT_EQ(shortDesc(c, cache, d250, 0, 10), std::string(10, 'a')) << "cut to the caller's room";

  std::string text70000;
  for (int i = 0; i < 7000; ++i) text70000 += std::to_string(1000000000 + i);
  const int32_t d70000 = appendDesc(c, text70000);
  EXPECT_EQ(fullDesc(c, d70000), text70000.substr(0, kFullDescLength));

  // Two-byte characters across both cuts: the reads stop before them.
  std::string accents = "x";
  for (int i = 0; i < 40000; ++i) accents += "\xC3\xA9";
  const int32_t dAccents = appendDesc(c, accents);
  EXPECT_EQ(shortDesc(c, cache, dAccents).size(), 199u);
  EXPECT_EQ(fullDesc(c, dAccents).size(), kFullDescLength - 1);

  // From a start position on, past the end of the text an empty one; neither is cached.
  EXPECT_EQ(shortDesc(c, cache, d250, 102), std::string(148, 'b'));
  EXPECT_EQ(shortDesc(c, cache, d250, 100), "/ " + std::string(148, 'b'));
  EXPECT_EQ(shortDesc(c, cache, d250, 5000), "");
  EXPECT_EQ(c.handle.DamageCounter, 0);

  ShortString text("stale");
  EXPECT_FALSE(ReadShortDesc(c.handle, cache, 0, 0, 255, text));
  EXPECT_TRUE(text.empty());
  std::string full = "stale";
  EXPECT_FALSE(ReadFullDesc(c.handle, 0, full));
  EXPECT_TRUE(full.empty());
}

TEST(Descriptions, DamagedBlocksGiveNoTextAndCountOnce) {
  TestCatalogue c;
  ByteWriter good;
  writeDescBlock(good, "text");
  const std::vector<uint8_t> sound = good.take();
  const struct {
    const char* what;
    std::vector<uint8_t> block;
  } cases[] = {
      {"wrong kind", patched(sound, 8, {2})},
      {"wrong check", patched(sound, 4, {0, 0, 0, 0})},
      {"L below the fixed part", patched(sound, 0, {14, 0, 0, 0, 0xF1, 0xFF, 0xFF, 0xFF})},
      {"negative L", patched(sound, 0, {0xF0, 0xFF, 0xFF, 0xFF, 0x0F, 0, 0, 0})},
      {"L past the end of the file", patched(sound, 0, {0xFF, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF})},
  };
  for (const auto& k : cases) {
    const int32_t at = c.appendRaw(k.block);
    for (const bool full : {false, true}) {
      TDescCache cache;
      c.handle.DamageCounter = 0;
      ShortString text("stale");
      std::string fullText = "stale";
      const bool read = full ? ReadFullDesc(c.handle, at, fullText)
                             : ReadShortDesc(c.handle, cache, at, 0, 255, text);
      EXPECT_FALSE(read) << k.what;
      EXPECT_TRUE(full ? fullText.empty() : text.empty()) << k.what;
      EXPECT_EQ(c.handle.DamageCounter, 1) << k.what;
      EXPECT_EQ(cache.find(at), nullptr);
    }
  }
  const int32_t pastEnd = static_cast<int32_t>(c.handle.Stream.GetSize()) + 1;
  std::string fullText;
  c.handle.DamageCounter = 0;
  EXPECT_FALSE(ReadFullDesc(c.handle, pastEnd, fullText));
  EXPECT_EQ(c.handle.DamageCounter, 1);
}

TEST(Descriptions, CacheServesRepeatsAndEvictsTheOldest) {
  TestCatalogue c;
  TDescCache cache;
  const int32_t first = appendDesc(c, "first text");
  EXPECT_EQ(shortDesc(c, cache, first), "first text");
  // A cached block is not read again.
  c.patch(first + static_cast<int32_t>(kDescBlockFixedSize), std::vector<uint8_t>{'F'});
  EXPECT_EQ(shortDesc(c, cache, first), "first text");
  EXPECT_EQ(shortDesc(c, cache, first, 0, 5), "first");

  // One append for all the others.
  ByteWriter others;
  std::vector<size_t> starts;
  for (int i = 1; i < 200; ++i) {
    starts.push_back(others.size());
    writeDescBlock(others, "text " + std::to_string(i));
  }
  const int32_t base = c.appendRaw(others.bytes());
  for (const size_t at : starts) shortDesc(c, cache, base + static_cast<int32_t>(at));
  EXPECT_EQ(shortDesc(c, cache, first), "first text") << "200 entries fit";
  const int32_t extra = appendDesc(c, "the 201st");
  EXPECT_EQ(shortDesc(c, cache, extra), "the 201st");
  EXPECT_EQ(cache.find(first), nullptr);
  EXPECT_EQ(shortDesc(c, cache, first), "First text") << "read from the file again";
  ASSERT_NE(cache.find(extra), nullptr);
  EXPECT_EQ(cache.find(extra)->view(), "the 201st");
}

TEST(Descriptions, HandleOpenedOnAnotherFileForgetsItsCachedTexts) {
  TestCatalogue a;
  TestCatalogue b;
  const int32_t offset = appendDesc(a, "text of a");
  ASSERT_EQ(appendDesc(b, "text of b"), offset);
  EXPECT_EQ(shortDesc(a, a.handle.DescCache, offset), "text of a");
  CloseDBaseFile(b.handle, false);
  OpenDBaseFile(a.handle, b.path(), false);
  EXPECT_EQ(shortDesc(a, a.handle.DescCache, offset), "text of b");
}

TEST(Descriptions, WritingEditingAndRemoving) {
  TestCatalogue c;
  DescribedDisk disk(c);
  const int32_t entry = disk.file.EntryOffset;

  int32_t reference = entry;
  ASSERT_TRUE(WriteDesc(c.handle, reference, "one"));
  const int32_t firstBlock = reference;
  reference = entry;
  ASSERT_TRUE(WriteDesc(c.handle, reference, "two\r\nlines"));
  const int32_t secondBlock = reference;
  EXPECT_GT(secondBlock, firstBlock);
  EXPECT_EQ(fullDesc(c, firstBlock), "one") << "the old block stays";
  EXPECT_EQ(fullDesc(c, secondBlock), "two\r\nlines");
  TFileRecord stored = disk.storedRecord(c, entry);
  EXPECT_EQ(stored.DescOffset, secondBlock);
  EXPECT_EQ(stored.Attr, kAttrUserDesc);
  EXPECT_EQ(stored.Ext.view(), ".txt");
  EXPECT_EQ(stored.Size, 1);

  // Removal writes no block.
  const uint32_t size = c.handle.Stream.GetSize();
  reference = entry;
  ASSERT_TRUE(WriteDesc(c.handle, reference, ""));
  EXPECT_EQ(reference, 0);
  EXPECT_EQ(c.handle.Stream.GetSize(), size);
  stored = disk.storedRecord(c, entry);
  EXPECT_EQ(stored.DescOffset, 0);
  EXPECT_EQ(stored.Attr, 0);

  // A folder's description goes into its record in the disk block.
  reference = disk.dir->Dir.EntryOffset;
  ASSERT_TRUE(WriteDesc(c.handle, reference, "folder"));
  EXPECT_EQ(disk.storedRecord(c, disk.dir->Dir.EntryOffset).DescOffset, reference);
  EXPECT_EQ(disk.storedRecord(c, disk.dir->Dir.EntryOffset).Attr, kAttrFolder | kAttrUserDesc);

  reference = 0;
  EXPECT_FALSE(WriteDesc(c.handle, reference, "nowhere"));
  reference = static_cast<int32_t>(c.handle.Stream.GetSize()) - 5;
  const uint32_t before = c.handle.Stream.GetSize();
  EXPECT_THROW(WriteDesc(c.handle, reference, "past the end"), EKstvDBaseStructException);
  EXPECT_EQ(c.handle.Stream.GetSize(), before) << "no block for a reference to nothing";
}

TEST(Descriptions, ReadOnlyHandleWritesNoDescription) {
  TestCatalogue c;
  DescribedDisk disk(c);
  c.reopen(true);
  ASSERT_TRUE(c.handle.ReadOnly);
  int32_t reference = disk.file.EntryOffset;
  EXPECT_FALSE(WriteDesc(c.handle, reference, "ignored"));
  EXPECT_EQ(reference, disk.file.EntryOffset);
}

TEST(Descriptions, NewReferenceReachesTheLoadedTree) {
  TestCatalogue c;
  DescribedDisk disk(c);
  TTreeStruct& tree = *c.trees.Current;
  const TOneFile& dirLine = *tree.FileCol->ItemAt(0);
  ASSERT_EQ(dirLine.SubDir, disk.dir);

  for (const int32_t entry : {disk.file.EntryOffset, disk.dir->Dir.EntryOffset}) {
    TOneFile line;
    line.EntryOffset = entry;
    line.Data.DescOffset = entry;
    ASSERT_TRUE(WriteDesc(c.handle, line.Data.DescOffset, "new"));
    UpdateFileDescRef(c.trees, line);
  }
  EXPECT_NE(disk.dir->Dir.Data.DescOffset, 0);
  EXPECT_EQ(dirLine.Data.DescOffset, disk.dir->Dir.Data.DescOffset)
      << "the folder's line shows it too";
  EXPECT_NE(tree.FileCol->ItemAt(1)->Data.DescOffset, 0);
  EXPECT_EQ(tree.FileCol->ItemAt(1)->Data.Attr, 0) << "the user flag in memory is left alone";
  EXPECT_EQ(fullDesc(c, tree.FileCol->ItemAt(1)->Data.DescOffset), "new");
}

}  // namespace
}  // namespace vellomar

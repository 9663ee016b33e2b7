#include "engine/UDescCarryOver.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/CatalogueBuilder.h"

namespace vellomar {
namespace {

using testing::FileSpec;
using testing::TestCatalogue;

TOneFile* lineOf(std::string name, int32_t dateTime, int32_t desc, uint16_t attr) {
  auto* line = new TOneFile;
  line->Name = ShortString(name);
  SplitName(line->Name, line->Data.Ext);
  line->Data.DateTime = dateTime;
  line->Data.DescOffset = desc;
  line->Data.Attr = attr;
  return line;
}

// A previous disk holding the archive pack.zip (three files, one folder, 35 bytes inside) and
// a folder of that name; the archive folder as read back from the file.
class PreviousArchive : public ::testing::Test {
 protected:
  void SetUp() override {
    TDirCollection& root = catalogue.newDisk("disk");
    TDirCollection& pack = TestCatalogue::addFolder(root, "pack.zip", kAttrArchiveFolder, 2000);
    pack.Dir.Data.DateTime = 300;
    pack.Dir.Data.DescOffset = 900;
    TestCatalogue::addFolder(root, "pack.arj");
    catalogue.setFiles(pack, {{"a.txt", 10, 1, 0, 0}, {"b.txt", 20, 1, 0, 0}});
    catalogue.setFiles(TestCatalogue::addFolder(pack, "inner"), {{"c.txt", 5, 1, 0, 0}});
    previous = LoadOldTreeStruct(catalogue.handle, catalogue.trees, catalogue.saveDisk());
    ASSERT_NE(previous, nullptr);
    add("first.txt", 300, 0);
    // What the file pass counted for first.txt and an archive of 2000 bytes.
    info.DataSize = 2010;
  }

  void add(const std::string& name, int32_t dateTime, int32_t size) {
    std::unique_ptr<TOneFile> line(lineOf(name, dateTime, 0, 0x20));
    line->Data.Size = size;
    lines.add(line->Data, line->Name.view(), true);
  }

  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (size_t i = 0; i < lines.slots(); ++i) {
      if (!lines.kept(i)) continue;
      const TFileEntry line = lines.at(i);
      out.push_back(line.Name.str() + std::string(line.Record.Ext.view()));
    }
    return out;
  }

  TestCatalogue catalogue;
  TTreeStruct* previous = nullptr;
  TTreeStruct scanned{catalogue.handle};
  TDiskInfo& info = scanned.DiskInfo;
  TDirCollection newRoot{nullptr, 10, false};
  TScanLines lines;
};

TEST_F(PreviousArchive, AnUnchangedArchiveMovesOverWithItsContents) {
  add("PACK.ZIP", 300, 2000);
  add("last.txt", 300, 0);
  ASSERT_TRUE(MovePrevArchive(scanned, newRoot, previous->Root.get(), lines, 1));
  ASSERT_EQ(newRoot.Count(), 1);
  const TDirCollection& moved = *newRoot.ItemAt(0);
  EXPECT_EQ(moved.Dir.Name, ShortString("pack"));
  EXPECT_EQ(moved.Dir.Data.DescOffset, 900);
  EXPECT_EQ(moved.Parent, &newRoot);
  EXPECT_EQ(moved.Count(), 1) << "with its folders";
  EXPECT_EQ(testing::subDirNamed(*previous->Root, "pack")->Dir.Data.Attr, kAttrFolder)
      << "only the folder of the same name stays behind";
  EXPECT_EQ(names(), (std::vector<std::string>{"first.txt", "last.txt"}));
  EXPECT_EQ(info.Archives, 1);
  EXPECT_EQ(info.ArchiveFolders, 1);
  EXPECT_EQ(info.ArchiveFiles, 3);
  EXPECT_EQ(info.ArchSize, 35);
  EXPECT_EQ(info.DataSize, 45) << "the archive counts by its contents, not its own size";
}

TEST_F(PreviousArchive, AChangedArchiveOrAFolderOfItsNameStays) {
  add("pack.zip", 301, 2000);
  add("pack.arj", 0, 0);
  add("other.zip", 300, 2000);
  for (size_t index : {1, 2, 3, 4}) {
    EXPECT_FALSE(MovePrevArchive(scanned, newRoot, previous->Root.get(), lines, index)) << index;
  }
  EXPECT_FALSE(MovePrevArchive(scanned, newRoot, nullptr, lines, 1));
  EXPECT_EQ(newRoot.Count(), 0);
  EXPECT_EQ(previous->Root->Count(), 2);
  EXPECT_EQ(lines.size(), 4u);
  EXPECT_EQ(info.Archives, 0);
}

// The description offset and attributes of each line of a folder's file list in the file.
std::vector<std::pair<int32_t, uint16_t>> storedDescs(TestCatalogue& catalogue,
                                                      const TDirCollection& folder) {
  int32_t damage = 0;
  const auto lines =
      ReadFileList(catalogue.handle.Stream, damage, true, folder.Dir.Data.FileListOffset);
  std::vector<std::pair<int32_t, uint16_t>> descs;
  for (const TOneFile* line : lines->Items())
    descs.emplace_back(line->Data.DescOffset, line->Data.Attr);
  return descs;
}

TEST(DescCarryOver, AnArchiveListedAnewTakesThePreviousDescriptionsOfItsEntries) {
  TestCatalogue catalogue;
  TDirCollection& root = catalogue.newDisk("disk");
  TDirCollection& before = TestCatalogue::addFolder(root, "old.zip", kAttrArchiveFolder);
  catalogue.setFiles(before, {{"a.txt", 1, 1, 0x20, 500},
                              {"b.txt", 1, 1, 0x20 | kAttrUserDesc, 600},
                              {"c.txt", 1, 1, 0x20, 700},
                              {"d.txt", 1, 1, 0x20, 0}});
  TDirCollection& beforeSub = TestCatalogue::addFolder(before, "sub");
  beforeSub.Dir.Data.DescOffset = 800;
  beforeSub.Dir.Data.Attr |= kAttrUserDesc;
  catalogue.setFiles(beforeSub, {{"e.txt", 1, 1, 0x20, 810}});

  TDirCollection& after = TestCatalogue::addFolder(root, "new.zip", kAttrArchiveFolder);
  catalogue.setFiles(after, {{"A.TXT", 1, 2, 0x21, 0},
                             {"b.txt", 1, 2, 0x21, 650},
                             {"c.txt", 1, 2, 0x21, 750},
                             {"d.txt", 1, 2, 0x21, 760},
                             {"f.txt", 1, 2, 0x21, 0}});
  TDirCollection& afterSub = TestCatalogue::addFolder(after, "SUB");
  catalogue.setFiles(afterSub, {{"e.txt", 1, 2, 0x21, 0}});

  int32_t damage = 0;
  CopyArchiveDescs(catalogue.handle.Stream, damage, before, after);
  const std::vector<std::pair<int32_t, uint16_t>> expected = {
      {500, 0x20},                  // none of its own: takes the previous one
      {600, 0x20 | kAttrUserDesc},  // the user's description wins over a new one
      {750, 0x21},                  // a new description stays
      {760, 0x21},                  // nothing to carry
      {0, 0x21}};
  EXPECT_EQ(storedDescs(catalogue, after), expected);
  EXPECT_EQ(afterSub.Dir.Data.DescOffset, 800);
  EXPECT_EQ(afterSub.Dir.Data.Attr & kAttrUserDesc, kAttrUserDesc);
  EXPECT_EQ(storedDescs(catalogue, afterSub),
            (std::vector<std::pair<int32_t, uint16_t>>{{810, 0x20}}))
      << "folders are matched all the way down";
  EXPECT_EQ(damage, 0);
}

TEST(DescCarryOver, AnArchiveFindsItsPreviousVersionAtTheSamePath) {
  TestCatalogue catalogue;
  TDirCollection& oldRoot = catalogue.newDisk("disk");
  TDirCollection& oldArchive = TestCatalogue::addFolder(TestCatalogue::addFolder(oldRoot, "sub"),
                                                        "old.zip", kAttrArchiveFolder);
  catalogue.setFiles(oldArchive, {{"a.txt", 1, 1, 0x20, 500}});
  TestCatalogue::addFolder(oldRoot, "old.zip", kAttrArchiveFolder);
  ASSERT_NE(LoadOldTreeStruct(catalogue.handle, catalogue.handle.Trees, catalogue.saveDisk()),
            nullptr);

  const std::unique_ptr<TTreeStruct> scanned = TreeStructInit(catalogue.handle, true);
  TDirCollection& archive = TestCatalogue::addFolder(
      TestCatalogue::addFolder(*scanned->Root, "SUB"), "OLD.ZIP", kAttrArchiveFolder);
  catalogue.setFiles(archive, {{"a.txt", 1, 2, 0x20, 0}});
  CarryArchiveDescs(*scanned, catalogue.handle.Trees.Second.get(), archive,
                    catalogue.handle.Stream);
  EXPECT_EQ(storedDescs(catalogue, archive),
            (std::vector<std::pair<int32_t, uint16_t>>{{500, 0x20}}));

  catalogue.setFiles(archive, {{"a.txt", 1, 2, 0x20, 0}});
  catalogue.handle.Trees.Second.reset();
  CarryArchiveDescs(*scanned, catalogue.handle.Trees.Second.get(), archive,
                    catalogue.handle.Stream);
  EXPECT_EQ(storedDescs(catalogue, archive), (std::vector<std::pair<int32_t, uint16_t>>{{0, 0x20}}))
      << "no previous disk";
}

}  // namespace
}  // namespace vellomar

#include "engine/UScanPrevious.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/CatalogueBuilder.h"

namespace vellomar {
namespace {

using testing::FileSpec;
using testing::TestCatalogue;

// The lines of a scan as the file pass adds them; a name starting with "-" is added and taken
// out again, as an archive listed as a folder is.
TScanLines scanLinesOf(const std::vector<FileSpec>& files) {
  TScanLines lines;
  for (const FileSpec& f : files) {
    const bool takenOut = f.Name.starts_with('-');
    ShortString name(takenOut ? f.Name.substr(1) : f.Name);
    TFileRecord record;
    SplitName(name, record.Ext);
    record.Size = storedFileSize(f.Size);
    record.DateTime = f.DateTime;
    record.Attr = f.Attr;
    record.DescOffset = f.DescOffset;
    lines.add(record, name.view(), true);
    if (takenOut) lines.remove(lines.slots() - 1);
  }
  return lines;
}

// A previous disk whose root lists a.txt, b.txt and c.txt.
class PreviousFileList : public ::testing::Test {
 protected:
  void SetUp() override {
    TDirCollection& root = catalogue.newDisk("disk");
    catalogue.setFiles(root, {a, b, c});
    listOffset = root.Dir.Data.FileListOffset;
    previous = LoadOldTreeStruct(catalogue.handle, catalogue.trees, catalogue.saveDisk());
    ASSERT_NE(previous, nullptr);
  }

  std::optional<int32_t> shared(const std::vector<FileSpec>& files) {
    const std::optional<PreviousFolder> folder =
        PreviousFolder::find(previous, previous->Root.get(), false);
    return folder->sharedFileList(scanLinesOf(files));
  }

  const FileSpec a{"a.txt", 1, 100, 0x20, 0};
  const FileSpec b{"b.txt", 2, 100, 0x20, 500};
  const FileSpec c{"c.txt", 3, 100, 0x21, 0};
  TestCatalogue catalogue;
  TTreeStruct* previous = nullptr;
  int32_t listOffset = 0;
};

TEST_F(PreviousFileList, IsSharedOnlyWhenEveryEntryIsTheSameInAnyOrder) {
  struct Case {
    const char* what;
    std::vector<FileSpec> lines;
    bool shared;
  };
  const Case cases[] = {
      {"the same order", {a, b, c}, true},
      {"another order", {c, a, b}, true},
      {"lines taken out do not count", {{"-pack.zip", 9, 100, 0x20, 0}, a, b, c}, true},
      {"a line fewer", {a, b}, false},
      {"a line more", {a, b, c, {"d.txt", 1, 100, 0x20, 0}}, false},
      {"one line twice, another missing", {a, c, a}, false},
      {"a size changed", {a, b, {"c.txt", 4, 100, 0x21, 0}}, false},
      {"a name changed in case only", {{"A.txt", 1, 100, 0x20, 0}, b, c}, false},
      {"a description changed", {a, {"b.txt", 2, 100, 0x20, 0}, c}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(shared(c.lines), c.shared ? std::optional<int32_t>(listOffset) : std::nullopt)
        << c.what;
  }
}

TEST_F(PreviousFileList, ADamagedListIsNeverShared) {
  // The name length of the last entry now runs past the block.
  const int32_t lastNameLength = listOffset + 13 + 2 * 21 + 19;
  catalogue.patch(lastNameLength, std::vector<uint8_t>{200});
  const int32_t damageBefore = catalogue.handle.DamageCounter;
  for (const auto& lines : {std::vector<FileSpec>{a, b, c}, std::vector<FileSpec>{c, b, a}}) {
    EXPECT_EQ(shared(lines), std::nullopt);
  }
  EXPECT_GT(catalogue.handle.DamageCounter, damageBefore);
}

TEST(PreviousFolderDescs, TheFirstEntryOfTheNameThatMatchesGivesItsDescription) {
  TestCatalogue catalogue;
  TDirCollection& root = catalogue.newDisk("disk");
  TDirCollection& folder = TestCatalogue::addFolder(root, "Same.txt");
  folder.Dir.Data.DateTime = 7;
  folder.Dir.Data.DescOffset = 900;
  const uint16_t user = 0x20 | kAttrUserDesc;
  catalogue.setFiles(root, {{"same.txt", 1, 5, 0x20, 501},
                            {"SAME.TXT", 1, 7, 0x20, 502},
                            {"zeta.txt", 1, 3, 0x20, 504},
                            {"user.txt", 1, 1, user, 503},
                            {"plain.txt", 1, 2, 0x20, 0}});
  TTreeStruct* previous =
      LoadOldTreeStruct(catalogue.handle, catalogue.trees, catalogue.saveDisk());
  ASSERT_NE(previous, nullptr);

  struct Case {
    const char* what;
    bool alwaysRecreate;
    bool folders;  // dirDesc, else fileDesc
    const char* name;
    int32_t dosDateTime;
    int32_t offset;
    bool userWritten;
  };
  const Case cases[] = {
      {"the subfolder comes before the files", false, false, "same", 7, 900, false},
      {"case is ignored, the first of the date", false, false, "SAME", 5, 501, false},
      {"no entry of that date", false, false, "same", 9, 0, false},
      {"a user's description whatever the date", false, false, "USER", 99, 503, true},
      {"after the others in the list", false, false, "zeta", 3, 504, false},
      {"subfolders alone", false, true, "same", 5, 0, false},
      {"a subfolder of the date", false, true, "same", 7, 900, false},
      {"recreated", true, false, "zeta", 3, 0, false},
      {"recreated, but written by the user", true, false, "user", 3, 503, true},
  };
  for (const Case& c : cases) {
    const std::optional<PreviousFolder> folder =
        PreviousFolder::find(previous, previous->Root.get(), c.alwaysRecreate);
    ASSERT_TRUE(folder);
    const TCarriedDesc desc = c.folders ? folder->dirDesc(c.dosDateTime, c.name, ".txt")
                                        : folder->fileDesc(c.dosDateTime, c.name, ".txt");
    EXPECT_EQ(desc.Offset, c.offset) << c.what;
    EXPECT_EQ(desc.UserWritten, c.userWritten) << c.what;
  }
}

}  // namespace
}  // namespace vellomar

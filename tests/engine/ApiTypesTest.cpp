#include "engine/api/UApiTypes.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/UMaskItems.h"

namespace vellomar {
namespace {

TOneFile fileNamed(const std::string& name) {
  TOneFile f;
  f.SubDir = reinterpret_cast<TDirCollection*>(0x1000);
  f.EntryOffset = 70001;
  f.Data.DescOffset = 123456;
  f.Data.DateTime = static_cast<int32_t>(0x98210000u);
  f.Data.Size = -1;
  f.Data.Attr = kAttrUserDesc | 0x21;
  f.Data.Ext = ".txt";
  f.Name = ShortString(name);
  return f;
}

TEST(ApiTypes, FileCopiesCarryEveryFieldAndTheWholeName) {
  for (const size_t length : {size_t{0}, size_t{1}, size_t{255}}) {
    const TOneFile src = fileNamed(std::string(length, 'n'));
    TOneFile* p = nullptr;
    NewOneFile(p, src);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(*p, src) << length;
    EXPECT_EQ(p->Name.length(), static_cast<int>(length));

    TOneFile dest = fileNamed("something else");
    CopyOneFile(*p, dest);
    EXPECT_EQ(dest, src) << length;
    FreeOneFile(p);
    EXPECT_EQ(p, nullptr);
  }
}

TEST(ApiTypes, FolderCopiesCarryTheStoredData) {
  TOneDir src;
  src.EntryOffset = 4242;
  src.Data.FileListOffset = 99999;
  src.Data.FileCount = 7;
  src.Data.FilesSize = int64_t{5} << 40;
  src.Data.Reserved = {1, 2, 3, 4};
  src.Name = ShortString(std::string(255, 'd'));
  TOneDir* p = nullptr;
  NewOneDir(p, src);
  EXPECT_EQ(*p, src);
  TOneDir dest;
  CopyOneDir(*p, dest);
  EXPECT_EQ(dest, src);
  FreeOneDir(p);
  EXPECT_EQ(p, nullptr);
}

TEST(ApiTypes, FreeingANullCopyLeavesItNull) {
  TOneFile* file = nullptr;
  FreeOneFile(file);
  EXPECT_EQ(file, nullptr);
  TOneDir* dir = nullptr;
  FreeOneDir(dir);
  EXPECT_EQ(dir, nullptr);
}

TEST(ApiTypes, MaskItemsDoNotOwnTheirModule) {
  TItemCollection<TFilterModule> modules(50, 100);
  auto* module = new TFilterModule("uni");
  modules.Add(module);
  {
    TItemCollection<TMaskItem> masks(50, 100);
    for (const char* mask : {"*.doc", "*.wri"}) {
      auto* item = new TMaskItem(mask);
      item->MaxChars = 1000;
      item->Module = module;
      masks.Add(item);
    }
    EXPECT_EQ(GetPStr(masks.ItemAt(1)->Mask).view(), "*.wri");
  }
  EXPECT_EQ(modules.ItemAt(0)->Name.view(), "uni") << "freeing the masks left the module alive";
  EXPECT_EQ(module->Handle, nullptr);
  EXPECT_EQ(module->OpenTransfer, nullptr);
  EXPECT_EQ(module->GetOneBlock, nullptr);
  EXPECT_EQ(module->CloseTransfer, nullptr);
}

TEST(ApiTypes, ArchiveModulesOfEachKind) {
  const struct {
    ArchiveModuleKind kind;
    const char* name;
    bool builtIn;
  } cases[] = {
      {ArchiveModuleKind::kZipLibrary, "VUnZip32.dll", false},
      {ArchiveModuleKind::kRar, "", true},
      {ArchiveModuleKind::kAce, "", true},
  };
  for (const auto& c : cases) {
    const TArchiveModule m(c.kind, 20);
    EXPECT_EQ(m.Name.view(), c.name);
    EXPECT_EQ(m.Kind, c.kind);
    EXPECT_EQ(m.BuiltIn, c.builtIn);
    EXPECT_EQ(m.SizeLimitMB, 20);
    EXPECT_EQ(m.Handle, nullptr);
    EXPECT_EQ(m.ExtractFile, nullptr);
  }
}

}  // namespace
}  // namespace vellomar

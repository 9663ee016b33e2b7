// Catalogues that the layout allows but that sit at its edges, and damaged ones beside them:
// every reader (browse, search, walk, the rescan's previous version) lists the same entries as
// the catalogue built, and a compress and a repair keep them all.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/UDBase.h"
#include "engine/UDescriptions.h"
#include "engine/UDiskWalk.h"
#include "engine/UEngineFileFind.h"
#include "engine/UTreeStruct.h"
#include "engine/api/UApi.h"
#include "engine/api/UApiGlobals.h"
#include "engine/api/UCallbacks.h"
#include "tests/support/CatalogueBuilder.h"
#include "tests/support/CatalogueView.h"
#include "tests/support/SearchCatalogue.h"
#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

using testing::TestCatalogue;
// "D name" for a folder, "F name" for a file, root left out; sorted.
using Listing = std::vector<std::string>;

Listing sorted(Listing listing) {
  std::sort(listing.begin(), listing.end());
  return listing;
}

std::string entryName(std::string_view name, const ExtensionString& ext) {
  return std::string(name) + std::string(ext.view());
}

std::string entryOf(bool folder, const std::string& name) {
  return (folder ? "D " : "F ") + name;
}

// Builds disk "Edge" in the catalogue and lists what it holds.
struct EdgeCase {
  using Builder = std::function<void(TestCatalogue&, Listing&)>;
  using Patch = std::function<void(TestCatalogue&, int32_t)>;
  EdgeCase(const char* name, Builder build, bool damaged = false, Patch afterSave = {})
      : Name(name), Build(std::move(build)), Damaged(damaged), AfterSave(std::move(afterSave)) {}

  const char* Name;
  Builder Build;
  // Damage a reader of every folder and list counts; none for the catalogues the layout allows.
  bool Damaged;
  // Bytes written over the disk block saved, at its offset.
  Patch AfterSave;
};

TDirCollection& folderIn(TDirCollection& parent, const std::string& name, Listing& listing) {
  listing.push_back(entryOf(true, name));
  return TestCatalogue::addFolder(parent, name);
}

void filesIn(TestCatalogue& c, TDirCollection& folder, const std::vector<testing::FileSpec>& files,
             Listing& listing) {
  c.setFiles(folder, files);
  for (const testing::FileSpec& f : files) listing.push_back(entryOf(false, f.Name));
}

// A folder whose own figures are written over after its list.
void figuresCase(TestCatalogue& c, Listing& listing, int32_t count, int64_t size) {
  TDirCollection& root = c.newDisk("Edge");
  TDirCollection& odd = folderIn(root, "odd", listing);
  filesIn(c, odd, {{"big.img", UINT32_MAX}, {"small.txt", 10}}, listing);
  odd.Dir.Data.FileCount = count;
  odd.Dir.Data.FilesSize = size;
  // The folders after it must stay.
  filesIn(c, folderIn(root, "zafter", listing), {{"after.txt", 1}}, listing);
  filesIn(c, root, {{"top.txt", 3}}, listing);
}

// A chain of levels folders below the root, a file at the bottom.
void deepCase(TestCatalogue& c, Listing& listing, int levels) {
  TDirCollection* node = &c.newDisk("Edge");
  for (int level = 0; level < levels; ++level) {
    node = &folderIn(*node, "l" + std::to_string(level), listing);
  }
  filesIn(c, *node, {{"bottom.txt", 1}}, listing);
}

// A folder whose file-list offset leads to a place that holds no file list.
void misledCase(TestCatalogue& c, Listing& listing,
                const std::function<int32_t(TestCatalogue&)>& target) {
  TDirCollection& root = c.newDisk("Edge");
  TDirCollection& lost = folderIn(root, "lost", listing);
  filesIn(c, folderIn(lost, "below", listing), {{"kept.txt", 1}}, listing);
  filesIn(c, folderIn(root, "next", listing), {{"next.txt", 1}}, listing);
  lost.Dir.Data.FileListOffset = target(c);
}

// A place in the disk block that saving the tree under construction appends: its records lie
// behind its head and details, the root's first (its name "\"), then lost's.
int32_t inNextBlock(TestCatalogue& c, size_t at) {
  return static_cast<int32_t>(c.handle.Stream.GetSize() + at);
}
constexpr size_t kRootRecordAt = kDiskBlockFixedSize;
constexpr size_t kLostRecordAt = kRootRecordAt + kFolderRecordFixedSize + 1;

const std::vector<EdgeCase>& edgeCases() {
  static const std::vector<EdgeCase> cases = {
      {"a folder total of 32 TiB",
       [](TestCatalogue& c, Listing& l) { figuresCase(c, l, 1, int64_t{32} << 40); }},
      {"a negative total of a 32-bit writer",
       [](TestCatalogue& c, Listing& l) { figuresCase(c, l, 2, -1294967286); }},
      {"a count of 0 with files in the list",
       [](TestCatalogue& c, Listing& l) { figuresCase(c, l, 0, 0); }},
      {"300 levels of folders", [](TestCatalogue& c, Listing& l) { deepCase(c, l, 300); }},
      {"65 535 subfolders",
       [](TestCatalogue& c, Listing& l) {
         TDirCollection& root = c.newDisk("Edge");
         root.SetCapacity(UINT16_MAX);
         char name[8];
         for (int i = 0; i < UINT16_MAX; ++i) {
           std::snprintf(name, sizeof name, "s%05d", i);
           folderIn(root, name, l);
         }
         filesIn(c, *root.ItemAt(UINT16_MAX - 1), {{"last.txt", 1}}, l);
       }},
      {"a description of the longest length",
       [](TestCatalogue& c, Listing& l) {
         const int32_t desc =
             testing::addDescription(c, std::string(kFullDescLength, 'x') + "cut off");
         filesIn(c, c.newDisk("Edge"), {{"described.txt", 1, 0, 0, desc}}, l);
       }},
      {"a folder's list at its disk block",
       [](TestCatalogue& c, Listing& l) {
         misledCase(c, l, [](TestCatalogue& t) { return inNextBlock(t, 0); });
       },
       true},
      {"a folder's list at its parent's record",
       [](TestCatalogue& c, Listing& l) {
         misledCase(c, l, [](TestCatalogue& t) { return inNextBlock(t, kRootRecordAt); });
       },
       true},
      {"a folder's list at its own record",
       [](TestCatalogue& c, Listing& l) {
         misledCase(c, l, [](TestCatalogue& t) { return inNextBlock(t, kLostRecordAt); });
       },
       true},
      {"a root that names more subfolders than its block holds",
       [](TestCatalogue& c, Listing& l) {
         TDirCollection& root = c.newDisk("Edge");
         for (const char* name : {"a", "b", "c"}) {
           filesIn(c, folderIn(root, name, l), {{std::string(name) + ".txt", 1}}, l);
         }
       },
       true,
       [](TestCatalogue& c, int32_t block) {
         // 65 535 subfolders and the check that goes with them.
         c.patch(block + static_cast<int32_t>(kRootRecordAt), std::vector<uint8_t>{255, 255, 1, 0});
       }},
      {"a folder's list at a description block",
       [](TestCatalogue& c, Listing& l) {
         misledCase(c, l,
                    [](TestCatalogue& t) { return testing::addDescription(t, "not a list"); });
       },
       true},
  };
  return cases;
}

Listing browsed(const testing::CatalogueView& view) {
  Listing listing;
  if (view.Disks.empty()) return listing;
  const std::vector<std::string>& lines = view.Disks[0].Lines;
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const std::string path = line.substr(2, line.find(' ', 2) - 2);
    listing.push_back(entryOf(line[0] == 'D', path.substr(path.rfind('/') + 1)));
  }
  return sorted(listing);
}

Listing searched(TestCatalogue& c) {
  TSearchDlgData request;
  request.Mask = "*";
  request.FileNames = true;
  request.FolderNames = true;
  request.MaxRecs = INT32_MAX;
  testing::setRequest(c.handle, request);
  SearchFiles(c.handle, c.trees, c.handle.Search, c.handle.SearchRequest, c.handle.Abort);
  Listing listing;
  for (int32_t i = 0; i < ApiFoundCount(&c.handle); ++i) {
    TOneFile record;
    ShortString disk, folder, desc;
    ApiGetFoundItem(&c.handle, i, record, disk, folder, desc);
    listing.push_back(entryOf((record.Data.Attr & kAttrFolder) != 0,
                              entryName(record.Name.view(), record.Data.Ext)));
  }
  return sorted(listing);
}

Listing walkedLines;

Listing walked(TestCatalogue& c) {
  walkedLines.clear();
  c.handle.Search.Export =
      makeExportCallbacks(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, [] {
        walkedLines.push_back(entryOf((FileData.Data.Attr & kAttrFolder) != 0,
                                      entryName(FileData.Name.view(), FileData.Data.Ext)));
      });
  IterateDisks(c.handle, c.trees, kWalkNotSelectedDisks, kWalkExport);
  c.handle.Search.Export = {};
  return sorted(walkedLines);
}

// The disk as a rescan reads its previous version: the folders, and their lists one by one.
Listing previous(TestCatalogue& c) {
  TTreeStruct* tree =
      LoadOldTreeStruct(c.handle, c.trees, c.handle.keyTable().keys().Keys[0].Offset);
  Listing listing;
  ForEachFolder(*tree->Root, [&](TDirCollection& node) {
    for (const TDirCollection* sub : node.Items()) {
      listing.push_back(entryOf(true, entryName(sub->Dir.Name.view(), sub->Dir.Data.Ext)));
    }
    const auto files =
        ReadFileList(c.handle.Stream, c.handle.DamageCounter, true, node.Dir.Data.FileListOffset);
    for (const TOneFile* line : files->Items()) {
      listing.push_back(entryOf(false, entryName(line->Name.view(), line->Data.Ext)));
    }
    return true;
  });
  c.trees.Second.reset();
  return sorted(listing);
}

TEST(LayoutEdges, EveryReaderListsWhatWasBuiltAndCopiesKeepIt) {
  test::TempFolder out{"edges"};
  for (const EdgeCase& edge : edgeCases()) {
    SCOPED_TRACE(edge.Name);
    TestCatalogue c;
    Listing built;
    edge.Build(c, built);
    const int32_t block = c.saveDisk();
    if (edge.AfterSave) edge.AfterSave(c, block);
    built = sorted(built);

    const testing::CatalogueView view = testing::viewCatalogue(c.path());
    ASSERT_TRUE(view.Opened) << view.Error;
    EXPECT_EQ(browsed(view), built) << "browse";
    EXPECT_EQ(view.Damage > 0, edge.Damaged) << "browse";
    EXPECT_EQ(searched(c), built) << "search";
    EXPECT_EQ(c.handle.DamageCounter > 0, edge.Damaged) << "search";
    EXPECT_EQ(walked(c), built) << "walk";
    EXPECT_EQ(c.handle.DamageCounter > 0, edge.Damaged) << "walk";
    c.handle.DamageCounter = 0;
    EXPECT_EQ(previous(c), built) << "rescan";
    EXPECT_EQ(c.handle.DamageCounter > 0, edge.Damaged) << "rescan";

    // Sound catalogues copy as they read; a damaged list is left behind, nothing else.
    // The catalogue stays open here: the copies read a copy of its file.
    const std::string source = out.at("source.kvd");
    const std::string compressedPath = out.at("compressed.kvd");
    const std::string repairedPath = out.at("repaired.kvd");
    std::filesystem::copy_file(c.path(), source, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove(compressedPath);
    std::filesystem::remove(repairedPath);
    ASSERT_EQ(testing::copyCatalogue(source, compressedPath, false), "");
    ASSERT_EQ(testing::repairCatalogue(source, repairedPath), "");
    for (const std::string& copy : {compressedPath, repairedPath}) {
      const testing::CatalogueView copied = testing::viewCatalogue(copy);
      EXPECT_EQ(copied.Damage, 0) << copy;
      EXPECT_EQ(browsed(copied), built) << copy;
      if (!edge.Damaged) {
        EXPECT_EQ(copied.Disks[0].Lines, view.Disks[0].Lines) << copy;
      }
    }
  }
}

}  // namespace
}  // namespace vellomar

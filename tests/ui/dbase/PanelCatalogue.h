#pragma once

#include <optional>
#include <string>

#include "engine/api/UApi.h"
#include "foundation/UBaseUtils.h"
#include "platform/PPaths.h"
#include "tests/support/CatalogueBuilder.h"
#include "tests/support/SampleCatalogue.h"
#include "tests/support/TempFolder.h"

namespace vellomar::test {

using vellomar::testing::FileSpec;
using vellomar::testing::TestCatalogue;

inline int32_t dosTime(uint16_t year, uint16_t month = 6) {
  return static_cast<int32_t>(EncodeDosDateTime({year, month, 1, 12, 0, 0}));
}

// The catalogue the panel tests browse, made by the engine's own writers:
// - "Alpha" (scanned from a real folder of the test, label "ALPHA"): folders "Docs" (with
//   "deep" below it), "Übung" and the archive "pack.zip" (a folder "inner" and a file inside),
//   files "DiskInfo.txt", "ReadMe.doc" (described), "notes.txt" and "NOTES.TXT" (names that
//   differ only in case), "huge.iso" (3 GB, dated 2050) and "old.txt" (1990);
// - "Beta": 30 files "f00.txt".."f29.txt" for the brief display's columns;
// - "Delta": no files at all;
// - "Gamma": deleted, so it shows as "Gamma [1]" after the live disks.
// On the real folder only "docs/readme.doc" exists, in lower case.
class PanelCatalogue {
 public:
  // readOnly makes the file a read-only export.
  explicit PanelCatalogue(bool readOnly = false) {
    folder_.file("alpha/docs/readme.doc", "read me");
    path_ = folder_.at("panels.kvd");
    TestCatalogue cat;
    TDBase& db = cat.handle;
    TLocalOptions options;
    ApiGetLocalOptions(&db, options);
    options.ShowDeleted = true;
    ApiSetLocalOptions(&db, options);

    TDirCollection& alpha = cat.newDisk("Alpha");
    if (const std::optional<std::string> system = toSystemPath(folder_.at("alpha"))) {
      cat.trees.Current->DiskInfo.ScannedPath = ShortString(*system);
    }
    cat.trees.Current->DiskInfo.VolumeLabel = "ALPHA";
    TDirCollection& docs = TestCatalogue::addFolder(alpha, "Docs");
    TDirCollection& deep = TestCatalogue::addFolder(docs, "deep");
    TestCatalogue::addFolder(alpha,
                             "\xC3\x9C"
                             "bung");
    TDirCollection& pack =
        TestCatalogue::addFolder(alpha, "pack.zip", kAttrFolder | kAttrArchiveFolder, 3000);
    TDirCollection& inner = TestCatalogue::addFolder(pack, "inner");
    cat.setFiles(alpha, {{"DiskInfo.txt", 10, dosTime(1995)},
                         {"ReadMe.doc", 7, dosTime(2003)},
                         {"notes.txt", 5, dosTime(2004)},
                         {"NOTES.TXT", 5, dosTime(2004)},
                         {"huge.iso", 3'000'000'000ULL, dosTime(2050)},
                         {"old.txt", 100, dosTime(1990)}});
    cat.setFiles(docs, {{"ReadMe.doc", 7, dosTime(2003)}});
    cat.setFiles(deep, {{"b.bin", 300, dosTime(2001)}});
    cat.setFiles(pack, {{"a.txt", 1, dosTime(2002)}});
    cat.setFiles(inner, {{"x.txt", 2, dosTime(2002)}});
    cat.saveDisk();

    TDirCollection& beta = cat.newDisk("Beta");
    std::vector<FileSpec> many;
    for (int i = 0; i < 30; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "f%02d.txt", i);
      many.push_back({name, static_cast<uint64_t>(i), dosTime(2000)});
    }
    cat.setFiles(beta, many);
    cat.saveDisk();
    cat.newDisk("Delta");
    cat.saveDisk();
    cat.newDisk("Gamma");
    cat.saveDisk();
    cat.trees = TTreeSlots{};

    ShortString gamma("Gamma");
    int32_t index = -1;
    EXPECT_TRUE(ApiFindDisk(&db, gamma, index) && ApiDeleteDisk(&db, index));
    EXPECT_TRUE(ApiGoToDiskByName(&db, "Alpha"));
    vellomar::testing::describeLine(db, "ReadMe.doc", "the words that stay");
    ApiFreeTreeStruct(&db);
    ApiSetCurrentKey(&db, 0);
    cat.reopen(readOnly);
    folder_.file("panels.kvd", contentOf(cat.path()));
  }

  const std::string& path() const { return path_; }
  std::string diskFolder() const { return folder_.at("alpha"); }

 private:
  TempFolder folder_{"panels"};
  std::string path_;
};

}  // namespace vellomar::test

#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/api/UApi.h"
#include "engine/api/UApiGlobals.h"
#include "foundation/UBaseUtils.h"
#include "tests/support/CatalogueBuilder.h"
#include "tests/support/SampleCatalogue.h"

namespace vellomar::testing {

// Display settings that make exported text the same on every machine.
inline void fixedDisplay() {
  DateOrder = 0;
  KiloUnit = 1024;
  DisplayLocale& locale = displayLocale();
  locale.dateSeparator = "/";
  locale.timeSeparator = ":";
  locale.thousandsSeparator = ",";
  locale.decimalSeparator = ".";
  FormatOptions = TFormatOptions{};
}

inline const uint32_t kFixtureTime = EncodeDosDateTime({2025, 3, 14, 10, 20, 30});

// A catalogue to export: disk "Alpha" (a disk of more than 20 GB) with names that templates must
// survive ("a<<crlf>>b.txt", quotes, markup characters), "DiskInfo.txt" that sorts first,
// descriptions of one and of three lines and a subfolder; disk "Beta" with one undated empty
// file.
class ExportCatalogue {
 public:
  ExportCatalogue() {
    TDirCollection& alpha = cat.newDisk("Alpha");
    TDiskInfo& info = cat.trees.Current->DiskInfo;
    info.VolumeLabel = "ALPHA_VOL";
    info.ScannedPath = "D:\\";
    info.ScanDateTime = static_cast<int32_t>(kFixtureTime);
    info.DiskSizeKB = 30000000;
    info.FreeKB = 12345678;
    info.Folders = 1;
    info.Files = 7;
    info.DataSize = 735094152;
    info.PhysSize = 735094152;
    const auto t = static_cast<int32_t>(kFixtureTime);
    cat.setFiles(alpha, {{"readme.txt", 1234, t},
                         {"DiskInfo.txt", 120, t},
                         {"a<<crlf>>b.txt", 5, t},
                         {"Tom & Jerry <1>.avi", 734003200, t - 0x10000},
                         {"say \"hi\".txt", 3, t}});
    TDirCollection& docs = TestCatalogue::addFolder(alpha, "docs");
    docs.Dir.Data.DateTime = t;
    cat.setFiles(docs, {{"b.doc", 20480, t}, {"c.pdf", 1048576, t + 2}});
    cat.saveDisk();

    cat.newDisk("Beta");
    TDiskInfo& beta = cat.trees.Current->DiskInfo;
    beta.DiskSizeKB = 1440;
    beta.Files = 1;
    cat.setFiles(*cat.trees.Current->Root, {{"x.bin", 0, 0}});
    cat.saveDisk();
    cat.trees = TTreeSlots{};

    TDBase& db = cat.handle;
    EXPECT_TRUE(ApiGoToDiskByName(&db, "Alpha"));
    describeLine(db, "readme.txt", "Read me first");
    EXPECT_TRUE(ApiGoToPath(&db, "\\docs"));
    describeLine(db, "b.doc", "line one\nline two\nline three");
    ApiFreeTreeStruct(&db);
  }

  TDBase* handle() { return &cat.handle; }
  // The folder of the database file, as the walk gives it.
  std::string folder() const { return cat.path().substr(0, cat.path().find_last_of('/') + 1); }

  TestCatalogue cat;
};

}  // namespace vellomar::testing
